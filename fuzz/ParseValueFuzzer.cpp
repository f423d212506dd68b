// ParseValue on arbitrary text of up to 127 characters, as a box can hold.
// Besides memory errors (the text is copied to a buffer of its own length, so
// ASan sees any read past the terminator), it checks the result against the
// C library's strtod on the same text cut down to plain decimal: d and D
// turned into e and E, and the text cut at the first character that can be
// no part of a decimal number. That leaves strtod nothing but the grammar
// ParseValue reads (no hex, no "inf" or "nan"), so the two must agree bit for
// bit, the sign of a zero included. It also checks that characters past the
// 127th are never looked at.
#include "NumberText.h"
#include "ProjectState.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

void Require(bool holds, const char* what, const char* text)
{
    if (holds)
        return;
    std::fprintf(stderr, "ParseValue: %s, text \"%s\"\n", what, text);
    std::abort();
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > TEXT_SIZE - 1)
        return 0;
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';

    char decimal[TEXT_SIZE];
    std::size_t n = 0;
    for (const char* p = text.get(); *p && std::strchr(" \t\n\v\f\r+-.0123456789eEdD", *p); p++)
        decimal[n++] = *p == 'd' ? 'e' : *p == 'D' ? 'E' : *p;
    decimal[n] = '\0';
    Require(SameBits(ParseValue(text.get()), std::strtod(decimal, nullptr)),
            "differs from strtod on the decimal part", text.get());

    // The same text padded with digits past the 127th character.
    char padded[2 * TEXT_SIZE];
    std::memset(padded, '7', sizeof padded - 1);
    padded[sizeof padded - 1] = '\0';
    std::memcpy(padded, text.get(), std::strlen(text.get()));
    char cut[TEXT_SIZE];
    std::memcpy(cut, padded, TEXT_SIZE - 1);
    cut[TEXT_SIZE - 1] = '\0';
    Require(SameBits(ParseValue(padded), ParseValue(cut)), "reads past 127 characters", text.get());
    return 0;
}
