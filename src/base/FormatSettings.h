// The user's regional settings that number, date and time texts follow.
#pragma once

#include "base/String.h"

#include <array>

namespace ortavo {

struct FormatSettings {
    char16_t DecimalSeparator = u'.';
    char16_t DateSeparator = u'/';
    // 0 when the regional settings have no time separator.
    char16_t TimeSeparator = u':';
    std::array<String, 12> LongMonthNames{u"January",   u"February", u"March",    u"April",
                                          u"May",       u"June",     u"July",     u"August",
                                          u"September", u"October",  u"November", u"December"};

    // Read from the process locale (LC_NUMERIC for the decimal separator, LC_TIME for the
    // date and time separators and the month names), as set by LC_ALL, LC_* and LANG.
    static FormatSettings FromProcessLocale();
};

// The settings in force. Read at start from the process locale; tests pin their own.
const FormatSettings& CurrentFormatSettings();
void SetCurrentFormatSettings(const FormatSettings& settings);

// Puts settings in force for a scope and restores the previous ones at its end.
class ScopedFormatSettings {
public:
    explicit ScopedFormatSettings(const FormatSettings& settings);
    ~ScopedFormatSettings();
    ScopedFormatSettings(const ScopedFormatSettings&) = delete;
    ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

private:
    FormatSettings FPrevious;
};

} // namespace ortavo
