// The password of a scheduled command, kept in a file of its own rather than on a command
// line that every local user can read in the process list.
#pragma once

#include <stdexcept>
#include <string>

namespace ortavo {

// A password file that cannot be used; the message names the file, never the password.
class EPasswordFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's first line without its line end (LF or CR LF). Refuses, as ssh does a key
// file, a file that others than its owner may read, and anything but a regular file.
std::string ReadPasswordFile(const std::string& path);

} // namespace ortavo
