// Text crossing between the system's String and Qt's QString; both are UTF-16.
#pragma once

#include "base/String.h"

#include <QString>

namespace ortavo {

inline QString ToQString(StringView text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

inline String FromQString(const QString& text) {
    return String(reinterpret_cast<const char16_t*>(text.utf16()),
                  static_cast<std::size_t>(text.size()));
}

} // namespace ortavo
