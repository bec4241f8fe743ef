// Float, currency and packed decimal texts, pinned to their regional settings.
#include "data/NumberText.h"
#include "Regional.h"
#include "base/Exception.h"
#include "data/Bcd.h"

#include <gtest/gtest.h>

namespace ortavo {
namespace {

using testing::WithDecimalSeparator;

TEST(FloatToStrTest, GeneralFormWithFifteenDigits) {
    const FormatSettings dot = WithDecimalSeparator(u'.');
    const FormatSettings comma = WithDecimalSeparator(u',');
    struct Case {
        double value;
        const char16_t* text;
    } cases[] = {
        {0, u"0"},
        {105900.0, u"105900"},
        {12.5, u"12.5"},
        {-0.05, u"-0.05"},
        {0.1, u"0.1"},
        {static_cast<double>(0.1f), u"0.100000001490116"},
        {1e20, u"1E20"},
        {1.5e-7, u"1.5E-7"},
        {1.23456789012346e18, u"1.23456789012346E18"},
        {0.0001, u"0.0001"},
        {0.00001, u"1E-5"},
        {999999999999999.0, u"999999999999999"},
        {1e15, u"1E15"},
        {123456789.123456789, u"123456789.123457"},
        {1.0 / 3.0, u"0.333333333333333"},
        {-2.5e-10, u"-2.5E-10"},
    };
    const FormatSettings middleDot = WithDecimalSeparator(u'\u00B7');
    for (const Case& c : cases) {
        EXPECT_EQ(FloatToStr(c.value, dot), c.text) << c.value;
        // The UTF-8 form, added after what is there, is the same text.
        for (const FormatSettings* settings : {&dot, &middleDot}) {
            std::string utf8 = "x";
            AppendFloatText(c.value, utf8, *settings);
            EXPECT_EQ(utf8, "x" + ToUtf8(FloatToStr(c.value, *settings))) << c.value;
        }
    }
    EXPECT_EQ(FloatToStr(1.5e-7, comma), u"1,5E-7");
    EXPECT_EQ(FloatToStr(12.5, comma), u"12,5");
}

TEST(CurrToStrTest, ExactValueWithoutTrailingZeros) {
    const FormatSettings comma = WithDecimalSeparator(u',');
    EXPECT_EQ(CurrToStr(1059000000, comma), u"105900");
    EXPECT_EQ(CurrToStr(125000, comma), u"12,5");
    EXPECT_EQ(CurrToStr(-500, comma), u"-0,05");
    EXPECT_EQ(CurrToStr(1, comma), u"0,0001");
    EXPECT_EQ(CurrToStr(0, comma), u"0");
    EXPECT_EQ(CurrToStr(INT64_MIN, comma), u"-922337203685477,5808");
    const FormatSettings middleDot = WithDecimalSeparator(u'\u00B7');
    for (const Currency value : {Currency(1059000000), Currency(-500), Currency(1), INT64_MIN}) {
        std::string utf8 = "x";
        AppendCurrText(value, utf8, middleDot);
        EXPECT_EQ(utf8, "x" + ToUtf8(CurrToStr(value, middleDot))) << value;
    }
}

TEST(CurrencyTextTest, ParsesExactDecimalsAndRefusesOtherForms) {
    const FormatSettings comma = WithDecimalSeparator(u',');
    Currency value = 0;
    EXPECT_TRUE(TryStrToCurr(u" -12,34 ", value, comma));
    EXPECT_EQ(value, -123400);
    EXPECT_TRUE(TryStrToCurr(u"0,00005", value, comma));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(TryStrToCurr(u"12.34", value, comma));
    EXPECT_FALSE(TryStrToCurr(u"", value, comma));
    EXPECT_FALSE(TryStrToCurr(u"99999999999999999", value, comma));
    EXPECT_THROW(StrToCurr(u"abc", comma), EConvertError);
}

TEST(IntegerNarrowingTest, OutOfRangeIsAConversionError) {
    EXPECT_EQ(Int64ToInt32(-2147483648LL), INT32_MIN);
    EXPECT_THROW(Int64ToInt32(4294967297LL), EConvertError);
    EXPECT_EQ(RoundToInt32(2.5), 3);
    EXPECT_EQ(RoundToInt32(-2.5), -3);
    EXPECT_THROW(RoundToInt32(3e9), EConvertError);
}

TEST(BcdTest, ScaledIntegersStayExact) {
    const FormatSettings dot = WithDecimalSeparator(u'.');
    EXPECT_EQ(BcdToStr(ScaledIntegerToBcd(123456789012345678LL, -6), dot), u"123456789012.345678");
    EXPECT_EQ(BcdToStr(ScaledIntegerToBcd(-5, -6), dot), u"-0.000005");
    EXPECT_EQ(BcdToStr(ScaledIntegerToBcd(1500000, -6), dot), u"1.5");
    EXPECT_EQ(BcdToStr(ScaledIntegerToBcd(0, -6), dot), u"0");
    EXPECT_EQ(BcdToStr(ScaledIntegerToBcd(INT64_MIN, -18), dot), u"-9.223372036854775808");
    EXPECT_EQ(BcdToStr(StrToBcd(u"-0012.3400", dot), dot), u"-12.34");
    EXPECT_DOUBLE_EQ(BcdToDouble(ScaledIntegerToBcd(123, -5)), 0.00123);
    EXPECT_THROW(StrToBcd(u"1.2.3", dot), EConvertError);
}

TEST(BcdTest, ReadsBackWhateverTheCLibrarysLocale) {
    const ortavo::testing::ScopedCommaLocale comma;
    EXPECT_EQ(BcdToDouble(ScaledIntegerToBcd(19990000, -6)), 19.99);
    EXPECT_EQ(BcdToDouble(ScaledIntegerToBcd(1000, -4)), 0.1);
    EXPECT_EQ(BcdToDouble(ScaledIntegerToBcd(-123456789, -2)), -1234567.89);
}

TEST(DateTextTest, RegionalSeparatorsAndParsing) {
    FormatSettings settings;
    settings.DateSeparator = u'/';
    settings.TimeSeparator = u':';
    const TDateTime value = EncodeDate(2024, 2, 29) + 0.5;
    EXPECT_EQ(DateToStr(value, settings), u"29/02/2024");
    EXPECT_EQ(TimeToStr(value, settings), u"12:00:00");
    EXPECT_EQ(StrToDateTime(u"29/02/2024 12:00", settings), value);
    EXPECT_EQ(StrToDateTime(u"31/12/1899", settings), 1.0);
    EXPECT_THROW(StrToDateTime(u"30/02/2024", settings), EConvertError);
}

} // namespace
} // namespace ortavo
