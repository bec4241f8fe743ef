// Local time from the C library's time zone rules.
#include "base/Clock.h"

namespace ortavo {

LocalCalendar LocalCalendarOf(std::time_t seconds) {
    LocalCalendar calendar;
    localtime_r(&seconds, &calendar.Time);
    calendar.UtcOffsetMinutes = static_cast<int>(calendar.Time.tm_gmtoff / 60);
    return calendar;
}

} // namespace ortavo
