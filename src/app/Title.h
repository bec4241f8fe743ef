// The application title, derived from the executable's file name.
#pragma once

#include "base/String.h"

namespace ortavo {

// What follows the last "/", cut at its first ".", every character after the first in
// lower case: /opt/ORTAVO gives Ortavo, Ortavo.beta gives Ortavo, ortavo stays ortavo.
String TitleFromExePath(StringView path);

// The running executable's full path; argv0 when the system does not tell.
String ExecutablePath(const char* argv0);

} // namespace ortavo
