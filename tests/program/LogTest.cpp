// The run log: "hh:mm:ss -> " and the message, on a 24-hour clock with the regional time
// separator, the milliseconds dropped.
#include "UPrincipal.h"

#include "base/Clock.h"
#include "base/FormatSettings.h"

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

LocalTime At(int hour, int minute, int second, int millisecond) {
    LocalTime t;
    t.Year = 2024;
    t.Month = 5;
    t.Day = 17;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    t.Millisecond = millisecond;
    return t;
}

struct LogTest : ::testing::Test {
    String Logged(LocalTime when, const String& message, char16_t separator = u':') {
        FormatSettings settings;
        settings.TimeSeparator = separator;
        ScopedFormatSettings pinned(settings);
        ScopedClock clock([when] { return when; });
        form.Memo2->Lines().Clear();
        form.log(message);
        return form.Memo2->Lines().Text();
    }
    TForm1 form;
};

} // namespace

TEST_F(LogTest, TimeStampSeparatorAndMessage) {
    EXPECT_EQ(Logged(At(9, 5, 7, 900), u"Concluído"), u"09:05:07 -> Concluído\r\n");
    EXPECT_EQ(Logged(At(13, 0, 0, 0), u"Documento: 000123"), u"13:00:00 -> Documento: 000123\r\n");
    EXPECT_EQ(Logged(At(23, 59, 59, 999), u"x"), u"23:59:59 -> x\r\n");
    EXPECT_EQ(Logged(At(0, 0, 0, 0), u""), u"00:00:00 -> \r\n");
    EXPECT_EQ(Logged(At(12, 0, 1, 0), u"BE091110100011220710   "),
              u"12:00:01 -> BE091110100011220710   \r\n");
}

TEST_F(LogTest, RegionalTimeSeparatorOrNone) {
    EXPECT_EQ(Logged(At(9, 5, 7, 0), u"m", u'.'), u"09.05.07 -> m\r\n");
    EXPECT_EQ(Logged(At(9, 5, 7, 0), u"m", 0), u"090507 -> m\r\n");
}

TEST_F(LogTest, LinesKeepTheirOrderNewestLast) {
    ScopedClock clock([] { return At(10, 0, 0, 0); });
    form.log(u"Cnpj da empresa: 12345678000199");
    form.log(u"Documento: 000001");
    ASSERT_EQ(form.Memo2->Lines().Count(), 2);
    EXPECT_EQ(form.Memo2->Lines().Get(0), u"10:00:00 -> Cnpj da empresa: 12345678000199");
    EXPECT_EQ(form.Memo2->Lines().Get(1), u"10:00:00 -> Documento: 000001");
}
