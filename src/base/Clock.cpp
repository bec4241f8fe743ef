// Local clock.
#include "base/Clock.h"

#include <chrono>
#include <ctime>

namespace ortavo {

namespace {

LocalTime SystemNow() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    // A run logs many lines a second; the calendar of a second is worked out once.
    thread_local std::time_t cachedSeconds = -1;
    thread_local std::tm cached{};
    if (seconds != cachedSeconds) {
        cached = LocalCalendarOf(seconds).Time;
        cachedSeconds = seconds;
    }
    const std::tm& tm = cached;
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return {tm.tm_year + 1900,
            tm.tm_mon + 1,
            tm.tm_mday,
            tm.tm_hour,
            tm.tm_min,
            tm.tm_sec,
            static_cast<int>(ms < 0 ? ms + 1000 : ms)};
}

std::function<LocalTime()>& Clock() {
    static std::function<LocalTime()> clock = SystemNow;
    return clock;
}

} // namespace

LocalTime LocalNow() {
    return Clock()();
}

ScopedClock::ScopedClock(std::function<LocalTime()> clock) : FPrevious(std::move(Clock())) {
    Clock() = std::move(clock);
}

ScopedClock::~ScopedClock() {
    Clock() = std::move(FPrevious);
}

} // namespace ortavo
