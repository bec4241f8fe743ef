// Date values: the calendar rules, the day count from 30 December 1899 and local time.
#include "base/DateTime.h"
#include "base/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using namespace ortavo;

namespace {

// The C library's time zone set from a TZ text for the test's duration.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            FOld = old;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(FOld.c_str()); }

private:
    static void Set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone);
        _tzset();
#else
        if (*zone)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    std::string FOld;
};

} // namespace

TEST(DateTime, LocalCalendarAndItsOffsetFollowTheTimeZone) {
    struct Case {
        const char* zone;
        int offset, day, hour, minute;
    } cases[] = {{"BRT3", -180, 31, 21, 0}, {"IST-5:30", 330, 1, 5, 30}, {"UTC0", 0, 1, 0, 0}};
    // 1 January 1971, 00:00 UTC.
    const std::time_t moment = 365 * 86400;
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.zone);
        const LocalCalendar local = LocalCalendarOf(moment);
        EXPECT_EQ(local.UtcOffsetMinutes, c.offset) << c.zone;
        EXPECT_EQ(local.Time.tm_mday, c.day) << c.zone;
        EXPECT_EQ(local.Time.tm_hour, c.hour) << c.zone;
        EXPECT_EQ(local.Time.tm_min, c.minute) << c.zone;
    }
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_FALSE(IsValidDate(2024, 2, 30));
    EXPECT_FALSE(IsValidDate(2024, 4, 31));
    EXPECT_FALSE(IsValidDate(0, 1, 1));
    EXPECT_FALSE(IsValidDate(10000, 1, 1));
    EXPECT_FALSE(IsValidDate(2024, 13, 1));
    EXPECT_FALSE(IsValidDate(2024, 1, 0));
}

TEST(DateTime, CountsDaysFromTheEpochBothWays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2024, 3, 15), 45366);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    for (TDateTime d : {-693593.0, -1.0, 0.0, 59.0, 60.0, 45366.0, 2958465.0}) {
        int y, m, day;
        DecodeDate(d, y, m, day);
        EXPECT_EQ(EncodeDate(y, m, day), d) << d;
    }
}

TEST(DateTime, EveryDayKeepsItsDateWithAnyTimeOfDay) {
    // Before 30 December 1899 the time of day is a fraction counted away from zero, so the
    // day is the whole part toward zero.
    int year = 1, month = 1, day = 1;
    for (TDateTime d = EncodeDate(1, 1, 1); d <= EncodeDate(9999, 12, 31); ++d) {
        for (double fraction : {0.0, 0.001 / 86400, 0.5, 86399.999 / 86400}) {
            int y, m, dd;
            DecodeDate(d < 0 ? d - fraction : d + fraction, y, m, dd);
            ASSERT_TRUE(y == year && m == month && dd == day)
                << d << " + " << fraction << ": " << y << '-' << m << '-' << dd;
        }
        if (++day > DaysInMonth(year, month)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}
