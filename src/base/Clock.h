// The local clock, replaceable so that time-dependent rules can be tested.
#pragma once

#include <functional>

namespace ortavo {

struct LocalTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

LocalTime LocalNow();

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
