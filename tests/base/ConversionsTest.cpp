// Number texts: the decimal reading, integers and the two-decimal form.
#include "base/Conversions.h"
#include "Regional.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ortavo;

namespace {

FormatSettings Point() {
    return ortavo::testing::WithDecimalSeparator(u'.');
}

FormatSettings Comma() {
    return ortavo::testing::WithDecimalSeparator(u',');
}

} // namespace

TEST(TextToFloat, AcceptsTheDecimalForms) {
    struct Case {
        const char16_t* text;
        double value;
    } cases[] = {
        {u"0000000000150", 150},
        {u"          150", 150},
        {u"150   ", 150},
        {u"-000000000150", -150},
        {u"+12", 12},
        {u"1.5", 1.5},
        {u".", 0},
        {u"-.25", -0.25},
        {u"2.", 2},
        {u"1e3", 1000},
        {u"1E-2", 0.01},
        {u"1e", 1},
        {u"1e+", 1},
        {u"  .5e1  ", 5},
        {u"1e-400", 0},
        {u"-0.0000000001e-320", 0},
        {u"4.9406564584124654e-324", 4.9406564584124654e-324},
        {u"1.7976931348623157e308", 1.7976931348623157e308},
        {u"0.00001e310", 1e305},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_TRUE(TryTextToFloat(c.text, v, Point())) << ToUtf8(c.text);
        EXPECT_DOUBLE_EQ(v, c.value) << ToUtf8(c.text);
    }
}

TEST(TextToFloat, RefusesOtherForms) {
    for (const char16_t* text : {u"", u"             ", u"-", u"+", u"e5", u"- 1", u"1 2", u"1.5.",
                                 u"00000000001,5", u"1x", u"1e5e", u"\t1", u"1e99999", u"--1",
                                 u"1.8e308", u"-100000000000000000000e300", u"0.00001e400"}) {
        double v = 0;
        EXPECT_FALSE(TryTextToFloat(text, v, Point())) << ToUtf8(text);
    }
}

TEST(TextToFloat, FollowsTheRegionalSeparator) {
    double v = 0;
    EXPECT_TRUE(TryTextToFloat(u"00000000001,5", v, Comma()));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_FALSE(TryTextToFloat(u"1.5", v, Comma()));
    EXPECT_TRUE(TryTextToFloat(u",", v, Comma()));
    EXPECT_EQ(v, 0);
}

TEST(TextToFloat, FailureNamesTheWholeText) {
    try {
        StrToFloat(u"  12a ", Point());
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"'  12a ' is not a valid floating point value");
    }
}

TEST(StrToInt, ReadsDecimalAndHexadecimal) {
    EXPECT_EQ(StrToInt(u"42"), 42);
    EXPECT_EQ(StrToInt(u"  -17"), -17);
    EXPECT_EQ(StrToInt(u"+5"), 5);
    EXPECT_EQ(StrToInt(u"$FF"), 255);
    EXPECT_EQ(StrToInt(u"0x10"), 16);
    EXPECT_EQ(StrToInt(u"X1f"), 31);
    EXPECT_EQ(StrToInt(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt(u"2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt64(u"-9223372036854775808"), INT64_MIN);
}

TEST(StrToInt, RefusesWithTheStandardMessage) {
    for (const char16_t* text : {u"", u" ", u"12 ", u"2147483648", u"-2147483649", u"1.0", u"$",
                                 u"0x", u"abc", u"--1", u"$1FFFFFFFF"}) {
        std::int32_t v;
        EXPECT_FALSE(TryStrToInt(text, v)) << ToUtf8(text);
    }
    try {
        StrToInt(u"4O96");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"'4O96' is not a valid integer value");
    }
}

TEST(FormatTwoDecimals, RoundsHalvesAwayFromZero) {
    struct Case {
        double value;
        const char16_t* text;
    } cases[] = {
        {0, u"0.00"},
        {1.5, u"1.50"},
        {-1.5, u"-1.50"},
        {0.125, u"0.13"},
        {-0.125, u"-0.13"},
        {0.375, u"0.38"},
        {-0.005, u"-0.01"},
        {0.004999, u"0.00"},
        {-0.001, u"0.00"},
        {999.995, u"1000.00"},
        {1234567.891, u"1234567.89"},
        {0.1 + 0.2, u"0.30"},
        {1e20, u"100000000000000000000.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTwoDecimals(c.value, Point()), c.text) << c.value;
    EXPECT_EQ(FormatTwoDecimals(1.5, Comma()), u"1,50");
    EXPECT_EQ(FormatTwoDecimals(0, Comma()), u"0,00");
}

// The regional settings alone give the separator: the C library's locale changes nothing.
TEST(FormatTwoDecimals, IgnoresTheCLibrarysLocale) {
    const ortavo::testing::ScopedCommaLocale comma;
    EXPECT_EQ(FormatTwoDecimals(1.5, Point()), u"1.50");
    EXPECT_EQ(FormatTwoDecimals(19.99, Comma()), u"19,99");
    EXPECT_EQ(FormatTwoDecimals(1.25, Comma()), u"1,25");
    EXPECT_EQ(FormatTwoDecimals(0, Comma()), u"0,00");
    EXPECT_EQ(FormatTwoDecimals(-0.005, Comma()), u"-0,01");
    EXPECT_EQ(StrToFloat(u"19.99", Point()), 19.99);
    EXPECT_EQ(StrToFloat(u"0,1", Comma()), 0.1);
}

TEST(FormatTwoDecimals, DecidesByTheEighteenDigitExpansion) {
    // 2.675 and 1.005 are stored just below the half (2.67499999999999982...), so they
    // round down; 999.995 is stored just above it.
    EXPECT_EQ(FormatTwoDecimals(2.675, Point()), u"2.67");
    EXPECT_EQ(FormatTwoDecimals(1.005, Point()), u"1.00");
    EXPECT_EQ(FormatTwoDecimals(999.995, Point()), u"1000.00");
    EXPECT_EQ(FormatTwoDecimals(123456789012345.675, Point()), u"123456789012345.67");
}
