// The password of a scheduled command, kept in a file of its own rather than on a command
// line that every local user can read in the process list.
#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace ortavo {

// A password file that cannot be used; the message names the file, never the password.
class EPasswordFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's first line without its line end (LF or CR LF) and without a leading UTF-8 byte
// order mark. Refuses, as ssh does a key file, anything but a regular file of the user
// running the command that no one else may read, write or run; and an empty first line.
std::string ReadPasswordFile(const std::string& path);

// ReadPasswordFile for a command: a refused file is reported on err as "error: " and the
// reason, and yields nothing; the command then ends with CliUsageStatus.
std::optional<std::string> PasswordFromFile(const std::string& path, std::ostream& err);

} // namespace ortavo
