// The command lines of the database commands: options among the names, as run and query
// take them.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

// One option: with a value ("--name VALUE" or "--name=VALUE") when Value is set, a flag
// ("--name") when Flag is.
struct TCommandOption {
    std::string Name;
    std::optional<std::string>* Value = nullptr;
    bool* Flag = nullptr;
};

struct TCommandLine {
    bool Help = false;
    std::vector<std::string> Names;
};

// Options before, between and after the names; "--" ends them, and "-h" or "--help" where
// an option may stand asks for help (and ends the reading). A wrong option is named on err
// (never with its value, which may be a password) above the usage, and yields nothing.
std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             const std::vector<TCommandOption>& options,
                                             std::ostream& err);

// The options every database command takes: who connects and with what password.
struct TLoginOptions {
    std::optional<std::string> User;
    std::optional<std::string> Password;
    std::optional<std::string> PasswordFile;

    // --user, --password and --password-file, for ParseCommandLine.
    void AddTo(std::vector<TCommandOption>& options);
    // The password to connect with: --password's, the file's or none (the preset one). Both
    // options given is a usage error; a refused file an "error: " line on err.
    bool ReadPassword(std::optional<std::string>& password, std::ostream& err) const;
};

// The command's names, exactly count of them; otherwise a usage error on err naming what
// the command needs ("run needs DATABASE and FILE").
bool CheckNames(const TCommandLine& line, std::size_t count, const char* needs, std::ostream& err);

} // namespace ortavo
