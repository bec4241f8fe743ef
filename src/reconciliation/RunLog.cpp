// Time-stamped run log lines.
#include "reconciliation/RunLog.h"

namespace ortavo {

namespace {

void AppendTwoDigits(String& out, int value) {
    out.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

} // namespace

String RunLogLine(const LocalTime& time, StringView message, const FormatSettings& settings) {
    String line;
    line.reserve(12 + message.size());
    AppendTwoDigits(line, time.Hour);
    if (settings.TimeSeparator)
        line.push_back(settings.TimeSeparator);
    AppendTwoDigits(line, time.Minute);
    if (settings.TimeSeparator)
        line.push_back(settings.TimeSeparator);
    AppendTwoDigits(line, time.Second);
    line += u" -> ";
    line += message;
    return line;
}

String RunLogLine(StringView message) {
    return RunLogLine(LocalNow(), message);
}

} // namespace ortavo
