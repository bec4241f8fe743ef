// Whether a password file is kept from everyone but the user running the command, by the rule
// the system's ssh applies to a key file.
#pragma once

#include "base/File.h"

#include <string>

namespace ortavo {

// Nothing when only the user running the command may get at the open file (and, on
// Windows, the Administrators group and SYSTEM, which may anyway); else why it is refused,
// with the command that mends it. path is for the advice. Raises EFileError.
std::string PasswordFileAccessProblem(const TFile& file, const std::string& path);

} // namespace ortavo
