// Run log lines: time stamp form, separator and the message kept as given.
#include "reconciliation/RunLog.h"

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

FormatSettings WithTimeSeparator(char16_t separator) {
    FormatSettings settings;
    settings.TimeSeparator = separator;
    return settings;
}

} // namespace

TEST(RunLog, StampsTheTimeOfDayAndKeepsTheMessage) {
    const FormatSettings colon = WithTimeSeparator(u':');
    EXPECT_EQ(RunLogLine({2024, 3, 15, 9, 5, 7, 900}, u"Concluído", colon),
              u"09:05:07 -> Concluído");
    EXPECT_EQ(RunLogLine({2024, 3, 15, 13, 0, 0, 0}, u"x", colon), u"13:00:00 -> x");
    EXPECT_EQ(RunLogLine({2024, 3, 15, 23, 59, 59, 999}, u"", colon), u"23:59:59 -> ");
    EXPECT_EQ(RunLogLine({2024, 3, 15, 0, 0, 1, 0}, u"DR0911BR    ", colon),
              u"00:00:01 -> DR0911BR    ");
}

TEST(RunLog, FollowsTheRegionalTimeSeparator) {
    EXPECT_EQ(RunLogLine({2024, 1, 1, 9, 5, 7, 0}, u"m", WithTimeSeparator(u'.')),
              u"09.05.07 -> m");
    EXPECT_EQ(RunLogLine({2024, 1, 1, 9, 5, 7, 0}, u"m", WithTimeSeparator(0)), u"090507 -> m");
}
