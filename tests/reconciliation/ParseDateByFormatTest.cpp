// Date texts by format: the positional reading, the reading by separators, the century
// window and invalid dates.
#include "reconciliation/ParseDateByFormat.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

FormatSettings Regional(char16_t separator = u'/') {
    FormatSettings s;
    s.DateSeparator = separator;
    s.LongMonthNames = {u"janeiro",  u"fevereiro", u"março",    u"abril",
                        u"maio",     u"junho",     u"julho",    u"agosto",
                        u"setembro", u"outubro",   u"novembro", u"dezembro"};
    return s;
}

TDateTime Parse(StringView text, int year = 2024, StringView format = u"dd/mm/yyyy",
                char16_t separator = u'/') {
    return ParseDateByFormat(format, text, Regional(separator), year);
}

} // namespace

TEST(ParseDateByFormat, ReadsTheRunsDatesByPosition) {
    EXPECT_EQ(Parse(u"15/03/2024"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u"1 /03/2024"), EncodeDate(2024, 3, 1));
    EXPECT_EQ(Parse(u"29/02/2024"), EncodeDate(2024, 2, 29));
    // Positions, not separators, decide: any character may stand between the pieces.
    EXPECT_EQ(Parse(u"15-03.2024"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u""), 0);
}

TEST(ParseDateByFormat, RefusesInvalidDates) {
    for (StringView text : {u"30/02/2024", u"29/02/2023", u"00/03/2024", u"15/13/2024",
                            u"ab/cd/efgh", u"/03/2024", u"15/03/20245", u"//"}) {
        try {
            Parse(text);
            FAIL() << ToUtf8(text);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"Invalid date");
        }
    }
}

TEST(ParseDateByFormat, WidensShortYearsAroundTheCurrentYear) {
    EXPECT_EQ(Parse(u"15/03/24"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u"15/03/63"), EncodeDate(2063, 3, 15));
    EXPECT_EQ(Parse(u"15/03/64"), EncodeDate(1964, 3, 15));
    EXPECT_EQ(Parse(u"15/03/0099"), EncodeDate(1999, 3, 15));
    EXPECT_EQ(WidenYear(0, 2026), 2000);
    EXPECT_EQ(WidenYear(65, 2026), 2065);
    EXPECT_EQ(WidenYear(66, 2026), 1966);
    EXPECT_EQ(WidenYear(100, 2026), 100);
}

TEST(ParseDateByFormat, BlankYearsReadAsMinusOne) {
    // -1 widened in the window that begins 60 years back: 1999 for current years 2000-2059.
    EXPECT_EQ(Parse(u"15/03/    "), EncodeDate(1999, 3, 15));
    EXPECT_EQ(Parse(u"15/03/    ", 2059), EncodeDate(1999, 3, 15));
    EXPECT_EQ(Parse(u"15/03/    ", 2060), EncodeDate(2099, 3, 15));
}

TEST(ParseDateByFormat, LongerTextsAreReadBySeparators) {
    EXPECT_EQ(Parse(u" 15 / 3 / 2024 "), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u"15/03/2024/"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u"5/3", 2024, u"dd/mm/yyyy/"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Parse(u"3/5/2024 ", 2024, u"mm/dd/yyyy"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Parse(u"2024/3/5  ", 2024, u"yyyy/mm/dd"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Parse(u"15.03.2024 ", 2024, u"dd/mm/yyyy", u'.'), EncodeDate(2024, 3, 15));
    EXPECT_THROW(Parse(u"15/03/2024 x"), EConvertError);
    EXPECT_THROW(Parse(u"15-03-2024 "), EConvertError);
}

TEST(ParseDateByFormat, NamesMonthsByTheirRegionalLongNames) {
    EXPECT_EQ(Parse(u"15/MAR/2024", 2024, u"dd/mmm/yyyy"), EncodeDate(2024, 3, 15));
    EXPECT_EQ(Parse(u"15/Mar/2024", 2024, u"dd/MMM/yyyy"), EncodeDate(2024, 3, 15));
    EXPECT_THROW(Parse(u"15/xyz/2024", 2024, u"dd/mmm/yyyy"), EConvertError);
}

TEST(ParseDateByFormat, UsesTheLocalClockForTheCurrentYear) {
    ScopedClock clock([] { return LocalTime{2024, 6, 1, 12, 0, 0, 0}; });
    ScopedFormatSettings settings(Regional());
    EXPECT_EQ(ParseDateByFormat(u"dd/mm/yyyy", u"15/03/63"), EncodeDate(2063, 3, 15));
}
