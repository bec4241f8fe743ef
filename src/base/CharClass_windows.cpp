// The system's invariant case mapping and character types.
#include "base/CharClass.h"

#include <windows.h>

namespace ortavo {

char16_t UnicodeUpper(char16_t c) noexcept {
    const wchar_t in = static_cast<wchar_t>(c);
    wchar_t out[2] = {};
    // One unit in may map to more than one out; only a one-unit upper case counts.
    const int n =
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &in, 1, out, 2, nullptr, nullptr, 0);
    return n == 1 ? static_cast<char16_t>(out[0]) : c;
}

bool IsUnicodeLetter(char16_t c) noexcept {
    const wchar_t in = static_cast<wchar_t>(c);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &in, 1, &type) && (type & C1_ALPHA) != 0;
}

} // namespace ortavo
