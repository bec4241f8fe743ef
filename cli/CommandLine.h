// The command lines of the database commands: options among the names, as run, query and
// restore take them, and what those that write share.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

struct TRunComponents;

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

// The options of the commands that write to the database: the login, and how long a sale
// another user has locked is waited for.
struct TConnectionOptions {
    TLoginOptions Login;
    std::optional<std::string> LockTimeout;
    // The password to connect with, once Resolve has read it.
    std::optional<std::string> Password;

    // The login's options and --lock-timeout, for ParseCommandLine.
    void AddTo(std::vector<TCommandOption>& options);
    // False, with the usage or the refusal written, for both passwords, a password file that
    // cannot be used or a lock timeout out of range.
    bool Resolve(std::ostream& err);
    // The user, the password and the bounded wait on the run's components.
    void Configure(const TRunComponents& components) const;
};

// Runs a command's work; an exception leaving it is written "error: TEXT" on err, after out
// is flushed, and yields failed.
int ReportingErrors(std::ostream& out, std::ostream& err, int failed,
                    const std::function<int()>& work);

// The command's names, exactly count of them; otherwise a usage error on err naming what
// the command needs ("run needs DATABASE and FILE").
bool CheckNames(const TCommandLine& line, std::size_t count, const char* needs, std::ostream& err);

} // namespace ortavo
