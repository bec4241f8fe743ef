// The window's designed font: Tahoma, taken from the system when installed, else from the
// metric-compatible copy that Debian's fonts-wine ships.
#pragma once

#include <QString>

namespace ortavo {

// Where fonts-wine puts its Tahoma.
inline constexpr const char* BundledTahomaPath = "/usr/share/wine/fonts/tahoma.ttf";

// Makes "Tahoma" known to the toolkit: an installed Tahoma wins; without one the file at
// path is registered when it exists. True when the family is then available. Needs the
// application object.
bool RegisterDesignedFont(const QString& path = QString::fromLatin1(BundledTahomaPath));

} // namespace ortavo
