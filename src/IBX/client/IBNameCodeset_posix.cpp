// Switching the calling thread to a UTF-8 codeset around the client calls that take names.
#include "IBX/client/IBNameCodeset.h"

#include <langinfo.h>
#include <locale.h>
#include <strings.h>

namespace ortavo {

namespace {

bool IsUtf8Codeset(const char* codeset) noexcept {
    return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
}

// Debian always ships C.UTF-8; the others are for systems that name it differently.
constexpr const char* Utf8LocaleNames[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8", "pt_BR.UTF-8"};

} // namespace

TUtf8NameScope::TUtf8NameScope() noexcept {
    if (IsUtf8Codeset(nl_langinfo(CODESET)))
        return;
    // Only the codeset changes: the other categories stay those the thread had.
    const locale_t current = uselocale(nullptr);
    locale_t utf8 = nullptr;
    for (const char* name : Utf8LocaleNames) {
        const locale_t base = duplocale(current);
        if (!base)
            return;
        utf8 = newlocale(LC_CTYPE_MASK, name, base);
        if (utf8)
            break;
        // A failed newlocale leaves its base to the caller.
        freelocale(base);
    }
    if (!utf8)
        return;
    FLocale = utf8;
    FPrevious = uselocale(utf8);
}

TUtf8NameScope::~TUtf8NameScope() {
    if (!FLocale)
        return;
    uselocale(static_cast<locale_t>(FPrevious));
    freelocale(static_cast<locale_t>(FLocale));
}

} // namespace ortavo
