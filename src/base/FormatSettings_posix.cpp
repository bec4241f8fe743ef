// Regional settings from the locale the environment names (LC_ALL, LC_*, LANG).
#include "base/FormatSettings.h"

#include "base/Encoding.h"

#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <optional>

namespace ortavo {

namespace {

// The locale named for one category by the environment, the way setlocale(..., "") picks it.
const char* LocaleNameFor(const char* category) {
    for (const char* name : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

locale_t OpenLocale(int mask, const char* category) {
    locale_t loc = newlocale(mask, LocaleNameFor(category), static_cast<locale_t>(nullptr));
    return loc ? loc : newlocale(mask, "C", static_cast<locale_t>(nullptr));
}

String DecodeLocaleText(const char* text, locale_t loc) {
    std::string_view codeset = nl_langinfo_l(CODESET, loc);
    std::string_view bytes = text;
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968")
        return FromUtf8(bytes);
    try {
        if (codeset == "ISO-8859-1")
            return Encoding::ForCodePage(28591).Decode(bytes);
    } catch (...) {
    }
    return FromUtf8(bytes);
}

// The first character of a date or time format that is not a conversion; the composite
// conversions stand for their own separators ("%T" is "%H:%M:%S").
std::optional<char16_t> SeparatorOf(const String& format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%')
            return format[i];
        ++i;
        while (i < format.size() && (format[i] == u'E' || format[i] == u'O' || format[i] == u'-' ||
                                     format[i] == u'_' || format[i] == u'0' || format[i] == u'^'))
            ++i;
        if (i >= format.size())
            break;
        switch (format[i]) {
        case u'T':
        case u'R':
        case u'r':
            return u':';
        case u'D':
            return u'/';
        case u'F':
            return u'-';
        default:
            break;
        }
    }
    return std::nullopt;
}

} // namespace

FormatSettings FormatSettings::FromProcessLocale() {
    FormatSettings s;
    if (locale_t numeric = OpenLocale(LC_NUMERIC_MASK, "LC_NUMERIC")) {
        String radix = DecodeLocaleText(nl_langinfo_l(RADIXCHAR, numeric), numeric);
        if (!radix.empty())
            s.DecimalSeparator = radix[0];
        freelocale(numeric);
    }
    if (locale_t time = OpenLocale(LC_TIME_MASK | LC_CTYPE_MASK, "LC_TIME")) {
        s.DateSeparator =
            SeparatorOf(DecodeLocaleText(nl_langinfo_l(D_FMT, time), time)).value_or(u'/');
        s.TimeSeparator =
            SeparatorOf(DecodeLocaleText(nl_langinfo_l(T_FMT, time), time)).value_or(0);
        for (int m = 0; m < 12; ++m) {
            String name =
                DecodeLocaleText(nl_langinfo_l(static_cast<nl_item>(MON_1 + m), time), time);
            if (!name.empty())
                s.LongMonthNames[static_cast<std::size_t>(m)] = name;
        }
        freelocale(time);
    }
    return s;
}

} // namespace ortavo
