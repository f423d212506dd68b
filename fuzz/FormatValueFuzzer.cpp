// FormatValue on arbitrary doubles. The input's eight bytes are taken twice:
// as the bit pattern of a double (NaN, infinities and subnormals included),
// and as a decimal such as a user types (a 32-bit count scaled down by a
// power of ten), so the round trip below is exercised on everyday numbers
// as often as on odd ones. Checked for each:
//  - the text ends within the 128-byte box buffer;
//  - it is "-0" exactly when the value is below zero and rounds to zero;
//  - where the rounded value, written to hundredths, has at most eight
//    significant digits, the text reads back as the rounded value to within
//    one unit in the last place.
#include "NumberText.h"
#include "ProjectState.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace
{

long checkedValues;
long checkedRoundTrips;

void Require(bool holds, const char* what, double x, const char* text)
{
    if (holds)
        return;
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    std::fprintf(stderr, "FormatValue: %s, x %.17g (bits %016llx), text \"%.127s\"\n", what, x,
                 static_cast<unsigned long long>(bits), text);
    std::abort();
}

// Significant digits of r written to hundredths ("%.2f", which the C
// library writes exactly, every digit of a huge value included). When there
// are at most eight, r lies within a unit in the last place of that decimal:
// below 2^43 the text is the exact decimal RoundValue meant, its error being
// far under half a hundredth; above, r's neighbours are too far apart for a
// value that missed the decimal to round to it.
int SignificantDigitsInHundredths(double r)
{
    static char text[400]; // DBL_MAX has 309 integer digits
    std::snprintf(text, sizeof text, "%.2f", r);
    const char* first = text;
    while (*first && (*first < '1' || *first > '9'))
        first++;
    if (!*first)
        return 0; // zero
    const char* last = text + std::strlen(text) - 1;
    while (*last == '0' || *last == '.')
        last--;
    int digits = 0;
    for (const char* p = first; p <= last; p++)
        digits += *p != '.';
    return digits;
}

bool WithinOneUlp(double back, double r)
{
    const double inf = std::numeric_limits<double>::infinity();
    return back == r || back == std::nextafter(r, inf) || back == std::nextafter(r, -inf);
}

void CheckShown(double x)
{
    char out[TEXT_SIZE];
    std::memset(out, 0x55, sizeof out);
    FormatValue(out, x);
    Require(std::memchr(out, '\0', sizeof out) != nullptr, "no terminator in 128 bytes", x, out);

    const double r = RoundValue(x);
    const bool minusZero = std::strcmp(out, "-0") == 0;
    Require(minusZero == (x < 0 && r == 0), "\"-0\" where it does not belong, or missing", x, out);

    checkedValues++;
    if (std::isfinite(r) && SignificantDigitsInHundredths(r) <= 8)
    {
        checkedRoundTrips++;
        Require(WithinOneUlp(ParseValue(out), r), "does not read back as the rounded value", x,
                out);
    }
}

void ReportCounts()
{
    std::fprintf(stderr, "format_value_fuzzer: %ld values formatted, %ld round trips checked\n",
                 checkedValues, checkedRoundTrips);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::atexit(ReportCounts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);

    double x;
    std::memcpy(&x, &bits, sizeof x);
    CheckShown(x);

    const std::int32_t count = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    const int places = static_cast<int>((bits >> 32) % 12);
    CheckShown(count / std::pow(10.0, places));
    return 0;
}
