#include "NumberText.h"

#include "ProjectState.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__SSE__) &&                               \
    (defined(__i386__) || defined(__x86_64__))
#include <xmmintrin.h>

// Every SSE exception masked, round to nearest, no flushing to zero: the
// default of every x86 platform.
constexpr unsigned SSE_DEFAULT = 0x1F80;

// The control words of the x87 unit and of SSE, without SSE's sticky
// exception flags: rounding, precision, exception masks, flush-to-zero.
static unsigned short X87Control()
{
    unsigned short word;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

static unsigned SseControl()
{
    return _mm_getcsr() & ~0x3Fu;
}

// Puts back the platform's default floating-point settings: round to nearest,
// every exception masked. Loading the whole environment costs more than
// formatting a number, and almost always nothing has changed it, so the
// control words are compared with the defaults and the reset is done only
// when they differ. The x87 default differs between platforms and is taken
// from the first reset.
static void ResetFloatingPoint()
{
    static bool known;
    static unsigned short defaultX87;
    if (known && X87Control() == defaultX87 && SseControl() == SSE_DEFAULT)
        return;
    std::fesetenv(FE_DFL_ENV);
    // Some runtimes' default environment resets the x87 unit only (MinGW's
    // under Wine leaves SSE rounding down), yet doubles are computed in SSE.
    _mm_setcsr(SSE_DEFAULT);
    defaultX87 = X87Control();
    known = true;
}
#else
static void ResetFloatingPoint()
{
    std::fesetenv(FE_DFL_ENV);
}
#endif

double RoundValue(double x)
{
    // Whatever a caller or a driver left in the floating-point settings, round
    // to nearest with every exception masked.
    ResetFloatingPoint();

    double whole;
    const double fraction = std::modf(x, &whole);
    double t = fraction * 100.0;
    t = t >= 0 ? t + 0.5 : t - 0.5; // a NaN takes the subtracting branch
    // Truncated as a double: a cast of a NaN or a huge value to an integer
    // type would be undefined.
    return std::trunc(t) / 100.0 + whole;
}

// Old Windows runtimes print three exponent digits ("1.2345679e+008"); C99
// and the newer runtimes print two. The window always shows two.
static void TrimExponent(char* text)
{
    char* e = std::strchr(text, 'e');
    if (!e)
        return;
    char* digits = e + 1;
    if (*digits == '+' || *digits == '-')
        digits++;
    if (std::strlen(digits) == 3 && digits[0] == '0')
        std::memmove(digits, digits + 1, 3);
}

char* FormatValue(char* out, double x)
{
    const bool negative = x < 0;
    const double r = RoundValue(x);
    if (r == 0)
    {
        // A zero of either sign has no sign of its own; only a negative value
        // that rounded away gets the one minus sign.
        std::strcpy(out, negative ? "-0" : "0");
        return out;
    }
    std::snprintf(out, TEXT_SIZE, "%.8g", r);
    TrimExponent(out);
    return out;
}

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

static bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

double ParseValue(const char* text)
{
    if (!text)
        return 0;

    // The accepted prefix is copied out and handed to strtod only once it is
    // known to be plain decimal: strtod alone would also take hex, "inf" and
    // "nan", and would stop at a d exponent.
    char number[TEXT_SIZE];
    std::size_t n = 0;
    const char* p = text;
    const char* end = text;
    while (*end && end < text + (TEXT_SIZE - 1))
        end++;

    while (p < end && IsSpace(*p))
        p++;
    if (p < end && (*p == '+' || *p == '-'))
        number[n++] = *p++;
    int digits = 0;
    while (p < end && IsDigit(*p))
    {
        number[n++] = *p++;
        digits++;
    }
    if (p < end && *p == '.')
    {
        number[n++] = *p++;
        while (p < end && IsDigit(*p))
        {
            number[n++] = *p++;
            digits++;
        }
    }
    if (digits == 0)
        return 0;

    if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D'))
    {
        const char* q = p + 1;
        std::size_t m = n;
        number[m++] = 'e';
        if (q < end && (*q == '+' || *q == '-'))
            number[m++] = *q++;
        if (q < end && IsDigit(*q))
        {
            while (q < end && IsDigit(*q))
                number[m++] = *q++;
            n = m; // an exponent letter without digits is not part of the number
        }
    }
    number[n] = '\0';
    return std::strtod(number, nullptr);
}
