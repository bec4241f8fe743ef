// The run log's lines: the local time of day, " -> " and the message.
#pragma once

#include "base/Clock.h"
#include "base/FormatSettings.h"
#include "base/String.h"

namespace ortavo {

// "hh:mm:ss -> message": 24-hour clock, the regional time separator in place of each ":"
// (nothing when the settings have none), milliseconds dropped; the message unchanged.
String RunLogLine(const LocalTime& time, StringView message,
                  const FormatSettings& settings = CurrentFormatSettings());

// The same at the local clock's present time.
String RunLogLine(StringView message);

} // namespace ortavo
