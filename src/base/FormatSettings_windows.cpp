// Regional settings from the user's locale in the Windows settings.
#include "base/FormatSettings.h"

#include <windows.h>

#include <optional>

namespace ortavo {

namespace {

// One of the user's locale values; empty when the system has none.
String UserLocaleText(LCTYPE type) {
    wchar_t text[128] = {};
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 128);
    return n > 1 ? String(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(n - 1))
                 : String();
}

// The first character of a date or time picture ("dd/MM/yyyy", "HH:mm:ss") that is not one
// of its fields.
std::optional<char16_t> SeparatorOf(const String& picture) {
    for (const char16_t c : picture)
        if (String(u"dMyghHmst'").find(c) == String::npos)
            return c;
    return std::nullopt;
}

} // namespace

FormatSettings FormatSettings::FromProcessLocale() {
    FormatSettings s;
    if (const String decimal = UserLocaleText(LOCALE_SDECIMAL); !decimal.empty())
        s.DecimalSeparator = decimal[0];
    s.DateSeparator = SeparatorOf(UserLocaleText(LOCALE_SSHORTDATE)).value_or(u'/');
    s.TimeSeparator = SeparatorOf(UserLocaleText(LOCALE_STIMEFORMAT)).value_or(0);
    for (int m = 0; m < 12; ++m) {
        String name = UserLocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m));
        if (!name.empty())
            s.LongMonthNames[static_cast<std::size_t>(m)] = std::move(name);
    }
    return s;
}

} // namespace ortavo
