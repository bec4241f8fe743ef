// The program's own icon, for its windows and boxes; the same pictures are installed for
// the desktop entry.
#pragma once

#include <QIcon>

namespace ortavo {

// Every drawn size of the icon, from 16 to 256 pixels.
QIcon ProgramIcon();

} // namespace ortavo
