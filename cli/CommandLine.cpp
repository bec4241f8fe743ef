// Reading a command's words and setting up its connection.
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
#include <csignal>

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

} // namespace

bool TCommandLine::Parse(const std::vector<std::string>& args, std::ostream& err) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            Names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            Help = true;
            return true;
        }
        bool* flag = nullptr;
        for (auto& [name, target] : FFlags)
            if (arg == name)
                flag = target;
        if (flag) {
            *flag = true;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        std::string name = arg, value;
        bool inlineValue = false;
        if (auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        for (auto& [known, option] : FValues)
            if (name == known)
                target = option;
        if (!target) {
            // Only the name: a mistyped --password=TEXT must not print the password.
            UsageError(err, ("unknown option " + name).c_str());
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                UsageError(err, ("option " + name + " needs a value").c_str());
                return false;
            }
            value = args[++i];
        }
        *target = value;
    }
    return true;
}

void TConnectionOptions::Register(TCommandLine& line) {
    line.Value("--user", User);
    line.Value("--password", Password);
    line.Value("--password-file", PasswordFile);
    line.Value("--lock-timeout", LockTimeout);
}

bool TConnectionOptions::Check(std::ostream& err) const {
    if (Password && PasswordFile) {
        UsageError(err, "give --password or --password-file, not both");
        return false;
    }
    if (LockTimeout && !LockTimeoutSeconds(*LockTimeout)) {
        UsageError(
            err, ("--lock-timeout needs whole seconds from 1 to " + std::to_string(MostLockTimeout))
                     .c_str());
        return false;
    }
    return true;
}

bool TConnectionOptions::ReadPassword(std::ostream& err) {
    if (!PasswordFile)
        return true;
    try {
        Password = ReadPasswordFile(*PasswordFile);
    } catch (const EPasswordFile& e) {
        err << "ortavo-cli: " << e.what() << '\n';
        return false;
    }
    return true;
}

void TConnectionOptions::Configure(const TRunComponents& components) const {
    if (User || Password) {
        TStrings& params = components.Base.Params();
        String user = u"VORAS", text = u"##480317";
        if (User)
            user = FromUtf8(*User);
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
    // A closed console is then a failed write, which ends the command as an error; the
    // signal would end it unreported, in the middle of a sale.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return work();
    } catch (...) {
        out.flush();
        VisitException(std::current_exception(), [&](const Exception& e) {
            err << "error: " << ConsoleText(ErrorBoxText(e)) << '\n';
        });
        err.flush();
        return failed;
    }
}

} // namespace ortavo
