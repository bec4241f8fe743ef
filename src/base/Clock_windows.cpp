// Local time from the C runtime's time zone rules (the system's time zone, or TZ).
#include "base/Clock.h"

namespace ortavo {

LocalCalendar LocalCalendarOf(std::time_t seconds) {
    LocalCalendar calendar;
    if (localtime_s(&calendar.Time, &seconds) != 0)
        return calendar;
    // The local calendar read back as UTC is ahead of the moment by the offset.
    std::tm copy = calendar.Time;
    const std::time_t asUtc = _mkgmtime(&copy);
    if (asUtc != static_cast<std::time_t>(-1))
        calendar.UtcOffsetMinutes = static_cast<int>((asUtc - seconds) / 60);
    return calendar;
}

} // namespace ortavo
