// The headless run: options, the console as log and boxes, exit codes.
#include "RunCommand.h"

#include "ConsoleText.h"
#include "PasswordFile.h"
#include "Usage.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "base/Component.h"
#include "base/Exception.h"
#include "base/StringList.h"
#include "reconciliation/RunComponents.h"
#include "reconciliation/RunLog.h"

#include <charconv>
#include <csignal>
#include <memory>
#include <optional>

namespace ortavo {

namespace {

struct TRunArguments {
    bool Help = false;
    std::optional<std::string> User;
    std::optional<std::string> Password;
    std::optional<std::string> PasswordFile;
    bool DryRun = false;
    // Every statement prepared anew, as before the connection kept them; for comparing.
    bool NoStatementCache = false;
    std::optional<std::string> Journal;
    std::optional<std::string> LockTimeout;
    std::vector<std::string> Positional;
};

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

// A console that can no longer be written ends the run as any failure does, rather than
// let it go on unseen (or die of the broken pipe with no word said).
// The stream keeps no reason (errno does not survive it), so the text names the stream only.
void CheckWritten(std::ostream& stream, const char16_t* name) {
    if (!stream)
        throw EStreamError(String(u"Cannot write to ") + name);
}

// The log on standard output and the boxes on standard error. The run's clearing of the
// log cannot take back what was printed, so it prints nothing.
class TConsoleFront : public IRunFront {
public:
    TConsoleFront(std::ostream& out, std::ostream& err) : FOut(out), FErr(err) {}

    TMemoLines& FileLines() override { return FLines; }
    void ClearLog() override {}
    void Log(const String& message) override {
        FLine.clear();
        AppendConsoleText(RunLogLine(message), FLine);
        FLine += '\n';
        FOut.write(FLine.data(), static_cast<std::streamsize>(FLine.size()));
        FOut.flush();
        CheckWritten(FOut, u"standard output");
    }
    void Notice(const String& text) override {
        FErr << "notice: " << ConsoleText(text) << '\n';
        if (FReason) {
            FErr << "reason: " << ConsoleText(*FReason) << '\n';
            FReason.reset();
        }
        FErr.flush();
        CheckWritten(FErr, u"standard error");
    }
    void ConnectionRefused(const String& reason) override { FReason = reason; }

private:
    std::ostream& FOut;
    std::ostream& FErr;
    TMemoLines FLines;
    std::optional<String> FReason;
    // The line being written, its buffer kept from line to line.
    std::string FLine;
};

// Options and their values, before and between the two names. Yields false, with the
// usage written, for a wrong command line.
std::optional<TRunArguments> ParseArguments(const std::vector<std::string>& args,
                                            std::ostream& err) {
    TRunArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.Positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.Help = true;
            return parsed;
        }
        if (arg == "--dry-run") {
            parsed.DryRun = true;
            continue;
        }
        if (arg == "--no-statement-cache") {
            parsed.NoStatementCache = true;
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
        if (name == "--user")
            target = &parsed.User;
        else if (name == "--password")
            target = &parsed.Password;
        else if (name == "--password-file")
            target = &parsed.PasswordFile;
        else if (name == "--journal")
            target = &parsed.Journal;
        else if (name == "--lock-timeout")
            target = &parsed.LockTimeout;
        if (!target) {
            // Only the name: a mistyped --password=TEXT must not print the password.
            UsageError(err, ("unknown option " + name).c_str());
            return std::nullopt;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                UsageError(err, ("option " + name + " needs a value").c_str());
                return std::nullopt;
            }
            value = args[++i];
        }
        *target = value;
    }
    if (parsed.Positional.size() != 2) {
        UsageError(err, "run needs DATABASE and FILE");
        return std::nullopt;
    }
    if (parsed.Password && parsed.PasswordFile) {
        UsageError(err, "give --password or --password-file, not both");
        return std::nullopt;
    }
    if (parsed.LockTimeout && !LockTimeoutSeconds(*parsed.LockTimeout)) {
        UsageError(
            err, ("--lock-timeout needs whole seconds from 1 to " + std::to_string(MostLockTimeout))
                     .c_str());
        return std::nullopt;
    }
    return parsed;
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

int Run(const TRunArguments& arguments, const std::optional<std::string>& password,
        std::ostream& out, std::ostream& err) {
    TConsoleFront front(out, err);
    std::unique_ptr<TRunJournal> journal;
    if (arguments.Journal)
        journal = std::make_unique<TRunJournal>(FromUtf8(*arguments.Journal));
    // The components go before the journal: the connection's last commit comes first.
    TComponent owner;
    TRunComponents components = CreateRunComponents(owner);
    if (arguments.User || password) {
        TStrings& params = components.Base.Params();
        String user = u"VORAS", text = u"##480317";
        if (arguments.User)
            user = FromUtf8(*arguments.User);
        if (password)
            text = FromUtf8(*password);
        params.Clear();
        params.Add(u"user_name=" + user);
        params.Add(u"password=" + text);
    }
    if (arguments.LockTimeout)
        SetLockTimeout(components.TR, *LockTimeoutSeconds(*arguments.LockTimeout));
    components.Base.SetKeepStatements(!arguments.NoStatementCache);
    TRunOptions options;
    options.DryRun = arguments.DryRun;
    options.Journal = journal.get();
    TRunOutcome outcome = ReconciliationRun(components, FromUtf8(arguments.Positional[0]),
                                            FromUtf8(arguments.Positional[1]), front, options);
    return outcome == TRunOutcome::Completed ? RunCompleted : RunEndedByRule;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<TRunArguments> arguments = ParseArguments(args, err);
    if (!arguments)
        return RunUsage;
    if (arguments->Help) {
        WriteUsage(out);
        return RunCompleted;
    }
    std::optional<std::string> password = arguments->Password;
    if (arguments->PasswordFile) {
        try {
            password = ReadPasswordFile(*arguments->PasswordFile);
        } catch (const EPasswordFile& e) {
            err << "ortavo-cli: " << e.what() << '\n';
            return RunUsage;
        }
    }
    // A closed console is then a failed write, which ends the run as an error; the signal
    // would end it unreported, in the middle of a coupon.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Run(*arguments, password, out, err);
    } catch (...) {
        out.flush();
        VisitException(std::current_exception(), [&](const Exception& e) {
            err << "error: " << ConsoleText(ErrorBoxText(e)) << '\n';
        });
        err.flush();
        return RunFailed;
    }
}

} // namespace ortavo
