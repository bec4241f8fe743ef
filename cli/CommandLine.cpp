// Reading the options of a database command.
#include "CommandLine.h"

#include "ConsoleText.h"
#include "PasswordFile.h"
#include "Usage.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "base/Exception.h"
#include "base/StringList.h"
#include "reconciliation/ReconciliationRun.h"

#include <charconv>

namespace ortavo {

namespace {

// Firebird keeps the wait in 16 bits.
constexpr int MostLockTimeout = 32767;

// Whole seconds from 1 to MostLockTimeout, or nothing.
std::optional<int> LockTimeoutSeconds(const std::string& text) {
    int seconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || seconds < 1 ||
        seconds > MostLockTimeout)
        return std::nullopt;
    return seconds;
}

// The bounded wait keeps the transaction the window starts (concurrency, wait, write, the
// server's defaults for an empty block) and only adds the timeout.
void SetLockTimeout(TIBTransaction& transaction, int seconds) {
    TStrings& params = transaction.Params();
    params.Clear();
    params.Add(u"concurrency");
    params.Add(u"wait");
    params.Add(u"write");
    params.Add(u"lock_timeout=" + IntToStr(seconds));
}

const TCommandOption* Find(const std::vector<TCommandOption>& options, const std::string& name) {
    for (const TCommandOption& option : options)
        if (option.Name == name)
            return &option;
    return nullptr;
}

std::nullopt_t Wrong(std::ostream& err, const std::string& what) {
    UsageError(err, what.c_str());
    return std::nullopt;
}

} // namespace

std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             const std::vector<TCommandOption>& options,
                                             std::ostream& err) {
    TCommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            line.Names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.Help = true;
            return line;
        }
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
        // Only the name is ever printed: a mistyped --password=TEXT must not show TEXT.
        const std::string name = arg.substr(0, equals);
        const TCommandOption* option = Find(options, name);
        if (!option)
            return Wrong(err, "unknown option " + name);
        if (option->Flag) {
            if (equals != std::string::npos)
                return Wrong(err, "option " + name + " takes no value");
            *option->Flag = true;
            continue;
        }
        if (equals != std::string::npos) {
            *option->Value = arg.substr(equals + 1);
            continue;
        }
        if (i + 1 >= args.size())
            return Wrong(err, "option " + name + " needs a value");
        *option->Value = args[++i];
    }
    return line;
}

void TLoginOptions::AddTo(std::vector<TCommandOption>& options) {
    options.push_back({"--user", &User});
    options.push_back({"--password", &Password});
    options.push_back({"--password-file", &PasswordFile});
}

bool TLoginOptions::ReadPassword(std::optional<std::string>& password, std::ostream& err) const {
    if (Password && PasswordFile) {
        UsageError(err, "give --password or --password-file, not both");
        return false;
    }
    password = Password;
    if (PasswordFile)
        password = PasswordFromFile(*PasswordFile, err);
    return !PasswordFile || password;
}

void TConnectionOptions::AddTo(std::vector<TCommandOption>& options) {
    Login.AddTo(options);
    options.push_back({"--lock-timeout", &LockTimeout});
}

bool TConnectionOptions::Resolve(std::ostream& err) {
    if (LockTimeout && !LockTimeoutSeconds(*LockTimeout)) {
        UsageError(
            err, ("--lock-timeout needs whole seconds from 1 to " + std::to_string(MostLockTimeout))
                     .c_str());
        return false;
    }
    return Login.ReadPassword(Password, err);
}

void TConnectionOptions::Configure(const TRunComponents& components) const {
    if (Login.User || Password) {
        TStrings& params = components.Base.Params();
        String user = u"VORAS", text = u"##480317";
        if (Login.User)
            user = FromUtf8(*Login.User);
        if (Password)
            text = FromUtf8(*Password);
        params.Clear();
        params.Add(u"user_name=" + user);
        params.Add(u"password=" + text);
    }
    if (LockTimeout)
        SetLockTimeout(components.TR, *LockTimeoutSeconds(*LockTimeout));
}

int ReportingErrors(std::ostream& out, std::ostream& err, int failed,
                    const std::function<int()>& work) {
    try {
        return work();
    } catch (...) {
        out.flush();
        VisitException(std::current_exception(), [&](const Exception& e) { WriteError(err, e); });
        err.flush();
        return failed;
    }
}

bool CheckNames(const TCommandLine& line, std::size_t count, const char* needs, std::ostream& err) {
    if (line.Names.size() == count)
        return true;
    // The count, not the words: a misplaced word may be a password.
    UsageError(err, (std::string(needs) + "; " + std::to_string(line.Names.size()) +
                     (line.Names.size() == 1 ? " name" : " names") + " given")
                        .c_str());
    return false;
}

} // namespace ortavo
