// The words of a database command, and the connection options that run and restore share.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace ortavo {

struct TRunComponents;

// Options may stand before, between or after the names; "--" ends them. A value follows
// its option as the next word or as --option=value.
class TCommandLine {
public:
    void Flag(std::string name, bool& target) { FFlags.emplace_back(std::move(name), &target); }
    void Value(std::string name, std::optional<std::string>& target) {
        FValues.emplace_back(std::move(name), &target);
    }
    // False, with the usage written after what was wrong, for an unknown option or one
    // without its value. "-h" or "--help" where an option may stand sets Help and ends
    // the reading.
    bool Parse(const std::vector<std::string>& args, std::ostream& err);

    bool Help = false;
    std::vector<std::string> Names;

private:
    std::vector<std::pair<std::string, bool*>> FFlags;
    std::vector<std::pair<std::string, std::optional<std::string>*>> FValues;
};

// --user, --password, --password-file and --lock-timeout.
struct TConnectionOptions {
    std::optional<std::string> User, Password, PasswordFile, LockTimeout;

    void Register(TCommandLine& line);
    // False, with the usage written, for both passwords or a lock timeout out of range.
    bool Check(std::ostream& err) const;
    // The password of --password-file into Password; false, with the refusal written,
    // for a file that cannot be used.
    bool ReadPassword(std::ostream& err);
    // The user, the password and the bounded wait on the run's components.
    void Configure(const TRunComponents& components) const;
};

// Runs work with a closed console made a failed write rather than a signal. An exception
// leaving it is written "error: TEXT" on err, after out is flushed, and yields failed.
int ReportingErrors(std::ostream& out, std::ostream& err, int failed,
                    const std::function<int()>& work);

} // namespace ortavo
