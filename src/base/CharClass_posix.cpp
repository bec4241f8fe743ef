// The case and class tables of glibc's C.UTF-8 locale.
#include "base/CharClass.h"

#include <cwctype>
#include <locale.h>

namespace ortavo {

namespace {

// C.UTF-8 ships with glibc, so it is always there; plain C is the last resort.
locale_t UnicodeLocale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return loc;
}

} // namespace

char16_t UnicodeUpper(char16_t c) noexcept {
    const auto upper = towupper_l(static_cast<wint_t>(c), UnicodeLocale());
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

bool IsUnicodeLetter(char16_t c) noexcept {
    return iswalpha_l(static_cast<wint_t>(c), UnicodeLocale()) != 0;
}

} // namespace ortavo
