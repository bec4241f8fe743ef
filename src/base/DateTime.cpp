// Calendar arithmetic for date values (proleptic Gregorian calendar).
#include "base/DateTime.h"

#include "base/Exception.h"

#include <cmath>

namespace ortavo {

namespace {

// Days from 0001-01-01 (day 0) to 1899-12-30.
constexpr long kDelta = 693593;

long DaysFromCivil(int year, int month, int day) {
    // Days since 0001-01-01 (day 0).
    long y = year - 1;
    long days = y * 365 + y / 4 - y / 100 + y / 400;
    static const int before[2][13] = {{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                      {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
    return days + before[IsLeapYear(year) ? 1 : 0][month] + day - 1;
}

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (!IsValidDate(year, month, day))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) - kDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError(u"Invalid argument to date encode");
    return date;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    // The day is the whole part toward zero: before 30 December 1899 the fraction is the
    // time of day counted forward from that day, so -1.5 is 29 December at noon.
    long n = static_cast<long>(std::trunc(date)) + kDelta;
    if (n < 0) {
        year = month = day = 0;
        return;
    }
    // 400-, 100-, 4- and 1-year cycles from 0001-01-01.
    long y = 1;
    y += 400 * (n / 146097);
    n %= 146097;
    long c = n / 36524;
    if (c == 4)
        c = 3;
    y += 100 * c;
    n -= c * 36524;
    y += 4 * (n / 1461);
    n %= 1461;
    long k = n / 365;
    if (k == 4)
        k = 3;
    y += k;
    n -= k * 365;
    year = static_cast<int>(y);
    month = 1;
    while (n >= DaysInMonth(year, month)) {
        n -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return false;
    time = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
    return true;
}

void DecodeTime(TDateTime time, int& hour, int& minute, int& second, int& millisecond) {
    double fraction = std::fabs(time - std::trunc(time));
    auto ms = static_cast<long long>(std::llround(fraction * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

} // namespace ortavo
