// Date values: the calendar rules and the day count from 30 December 1899.
#include "base/DateTime.h"

#include <gtest/gtest.h>

using namespace ortavo;

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
