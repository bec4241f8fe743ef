// Registration of the designed font.
#include "app/DesignedFont.h"

#include <QFile>
#include <QFontDatabase>

namespace ortavo {

namespace {

bool HasTahoma() {
    return QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive);
}

} // namespace

bool RegisterDesignedFont(const QString& path) {
    if (HasTahoma())
        return true;
    // A missing or unreadable file leaves the toolkit's substitute in place.
    if (!QFile::exists(path) || QFontDatabase::addApplicationFont(path) < 0)
        return false;
    return HasTahoma();
}

} // namespace ortavo
