// The C library's English error texts, whatever the process locale.
#include "base/Exception.h"

#include <cstring>
#include <locale.h>

namespace ortavo {

String SystemErrorText(int errorNumber) {
    // The same text whatever the C library's locale: the toolkit sets it from the session.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return FromUtf8(strerror_l(errorNumber, c));
}

} // namespace ortavo
