// The local clock, replaceable so that time-dependent rules can be tested.
#pragma once

#include <ctime>
#include <functional>

namespace ortavo {

struct LocalTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

LocalTime LocalNow();

// A moment's calendar in local time, and how far local time is ahead of UTC then.
struct LocalCalendar {
    std::tm Time{};
    int UtcOffsetMinutes = 0;
};
LocalCalendar LocalCalendarOf(std::time_t seconds);

// Replaces the clock until the returned guard goes; tests only.
class ScopedClock {
public:
    explicit ScopedClock(std::function<LocalTime()> clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    std::function<LocalTime()> FPrevious;
};

} // namespace ortavo
