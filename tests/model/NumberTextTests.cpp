#include "NumberText.h"
#include "ProjectState.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define HAVE_SSE2 1
#include <xmmintrin.h>
#endif

namespace
{

std::string Shown(double x)
{
    char out[TEXT_SIZE];
    char* returned = FormatValue(out, x);
    EXPECT_EQ(returned, out);
    return out;
}

TEST(FormatValue, RoundsToHundredthsHalfAwayFromZero)
{
    EXPECT_EQ(Shown(3.14159), "3.14");
    EXPECT_EQ(Shown(2.5), "2.5");
    EXPECT_EQ(Shown(100), "100");
    EXPECT_EQ(Shown(0.125), "0.13");
    EXPECT_EQ(Shown(-0.125), "-0.13");
    EXPECT_EQ(Shown(-0.005), "-0.01");
    EXPECT_EQ(Shown(1.995), "2");
    EXPECT_EQ(Shown(-7.999), "-8");
}

TEST(FormatValue, OnlyANegativeValueThatRoundsAwayReadsMinusZero)
{
    EXPECT_EQ(Shown(-0.004), "-0");
    EXPECT_EQ(Shown(-1e-300), "-0");
    EXPECT_EQ(Shown(0.004), "0");
    EXPECT_EQ(Shown(0), "0");
    EXPECT_EQ(Shown(-0.0), "0") << "a negative zero is not below zero";
}

TEST(FormatValue, EightSignificantDigitsAfterRounding)
{
    EXPECT_EQ(Shown(1234567.891), "1234567.9");
    EXPECT_EQ(Shown(99999999.4), "99999999");
    EXPECT_EQ(Shown(-12345.678), "-12345.68");
}

TEST(FormatValue, ExponentFormHasTwoDigitsOnEveryRuntime)
{
    EXPECT_EQ(Shown(123456789), "1.2345679e+08");
    EXPECT_EQ(Shown(-1e20), "-1e+20");
    EXPECT_EQ(Shown(1e300), "1e+300");
    EXPECT_EQ(Shown(-123456789012.0), "-1.2345679e+11");
}

TEST(FormatValue, NonFiniteValuesComeOutAsTheRuntimeWritesThem)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::string pos = Shown(inf);
    const std::string neg = Shown(-inf);
    const std::string nan = Shown(std::numeric_limits<double>::quiet_NaN());
    EXPECT_NE(pos.find("inf"), std::string::npos) << pos;
    EXPECT_EQ(neg, "-" + pos);
    EXPECT_NE(nan.find("nan"), std::string::npos) << nan;
    EXPECT_EQ(Shown(std::numeric_limits<double>::max()), "1.7976931e+308");
}

TEST(RoundValue, CarriesTheIntegerPartExactly)
{
    // Scaling the whole number by 100 would lose the low digits here.
    EXPECT_EQ(RoundValue(9007199254740991.0), 9007199254740991.0);
    EXPECT_EQ(RoundValue(1e300), 1e300);
    EXPECT_EQ(RoundValue(-2.5), -2.5);
    // Only the fraction is scaled: the fraction of 1.045 times 100 stays
    // below 4.5, while 1.045 times 100 rounds up to 104.5 and would give 1.05.
    EXPECT_DOUBLE_EQ(RoundValue(1.045), 1.04);
    EXPECT_DOUBLE_EQ(RoundValue(-1.045), -1.04);
    EXPECT_TRUE(std::isnan(RoundValue(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(RoundValue(-std::numeric_limits<double>::infinity()),
              -std::numeric_limits<double>::infinity());
}

TEST(RoundValue, ResetsALeftoverRoundingMode)
{
    std::fesetround(FE_DOWNWARD);
    const double r = RoundValue(0.125);
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(r, 0.13); // rounding down would give the double just below
    EXPECT_EQ(mode, FE_TONEAREST);
}

// The settings are reloaded only when they differ from the defaults, so
// these change them between two calls. Rounding 13 / 100 down gives the
// double just below 0.13: the results are compared exactly.
TEST(RoundValue, ResetsSettingsChangedSinceTheLastCall)
{
    RoundValue(1);
    std::fesetround(FE_UPWARD);
    RoundValue(1);
    std::fesetround(FE_DOWNWARD);
    const double r = RoundValue(0.125);
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(r, 0.13);
    EXPECT_EQ(mode, FE_TONEAREST);
}

#ifdef HAVE_SSE2
// A library built for SSE may change its control word and leave the x87 one.
TEST(RoundValue, ResetsTheSseControlWordAlone)
{
    RoundValue(1);
    const unsigned saved = _mm_getcsr() & ~_MM_EXCEPT_MASK;

    _mm_setcsr((saved & ~_MM_ROUND_MASK) | _MM_ROUND_DOWN);
    const double r = RoundValue(0.125);
    const unsigned rounding = _mm_getcsr() & _MM_ROUND_MASK;
    _mm_setcsr(saved);
    EXPECT_EQ(r, 0.13);
    EXPECT_EQ(rounding, unsigned(_MM_ROUND_NEAREST));

    // Unmasked, the invalid-operation exception would trap on the NaN's compare.
    _mm_setcsr(saved & ~_MM_MASK_INVALID);
    const double nan = RoundValue(std::numeric_limits<double>::quiet_NaN());
    const unsigned masks = _mm_getcsr() & _MM_MASK_MASK;
    _mm_setcsr(saved);
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_EQ(masks, unsigned(_MM_MASK_MASK));
}
#endif

TEST(ParseValue, TakesTheDecimalPrefix)
{
    EXPECT_EQ(ParseValue("7.5"), 7.5);
    EXPECT_EQ(ParseValue("  7.5"), 7.5);
    EXPECT_EQ(ParseValue("\t\n-3"), -3);
    EXPECT_EQ(ParseValue("+4"), 4);
    EXPECT_EQ(ParseValue("12abc"), 12);
    EXPECT_EQ(ParseValue("12."), 12);
    EXPECT_EQ(ParseValue("-.5"), -0.5);
    EXPECT_EQ(ParseValue(".25x"), 0.25);
    EXPECT_EQ(ParseValue("1.5.5"), 1.5);
    EXPECT_EQ(ParseValue("0.1"), 0.1);
}

TEST(ParseValue, TextWithoutANumberIsZero)
{
    EXPECT_EQ(ParseValue(""), 0);
    EXPECT_EQ(ParseValue("abc"), 0);
    EXPECT_EQ(ParseValue("."), 0);
    EXPECT_EQ(ParseValue("-"), 0);
    EXPECT_EQ(ParseValue("+.e5"), 0);
    EXPECT_EQ(ParseValue("e5"), 0);
    EXPECT_EQ(ParseValue(nullptr), 0);
}

TEST(ParseValue, ExponentsTakeEOrD)
{
    EXPECT_EQ(ParseValue("1e3"), 1000);
    EXPECT_EQ(ParseValue("1E3"), 1000);
    EXPECT_EQ(ParseValue("1d3"), 1000);
    EXPECT_EQ(ParseValue("1D-2"), 0.01);
    EXPECT_EQ(ParseValue("2.5e+2"), 250);
    EXPECT_EQ(ParseValue("1e"), 1) << "a letter without digits is not an exponent";
    EXPECT_EQ(ParseValue("1e+"), 1);
    EXPECT_EQ(ParseValue("1dx"), 1);
    EXPECT_EQ(ParseValue("3d2d2"), 300);
}

TEST(ParseValue, RejectsWhatOnlyStrtodWouldTake)
{
    EXPECT_EQ(ParseValue("0x10"), 0);
    EXPECT_EQ(ParseValue("inf"), 0);
    EXPECT_EQ(ParseValue("-infinity"), 0);
    EXPECT_EQ(ParseValue("nan"), 0);
    EXPECT_EQ(ParseValue("1,5"), 1) << "the separator is always the full stop";
}

TEST(ParseValue, OverflowFollowsIEEE)
{
    EXPECT_EQ(ParseValue("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseValue("-1d999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseValue("1e-999"), 0);
}

TEST(ParseValue, LooksAtNoMoreThanABoxHolds)
{
    // 127 characters fit a box; the 128th is never read.
    std::string text(126, '0');
    text += "1";
    EXPECT_EQ(ParseValue(text.c_str()), 1);
    text += "5";
    EXPECT_EQ(ParseValue(text.c_str()), 1);
}

TEST(NumberText, WhatIsShownReadsBackAsTheRoundedValue)
{
    const double values[] = {0.125, -0.125, 3.14159, 1234567.891, 123456789, -0.004, 1e-5, 42};
    for (double x : values)
    {
        char text[TEXT_SIZE];
        FormatValue(text, x);
        const double back = ParseValue(text);
        const double rounded = RoundValue(x);
        EXPECT_NEAR(back, rounded, std::fabs(rounded) * 1e-7) << text;
    }
}

} // namespace
