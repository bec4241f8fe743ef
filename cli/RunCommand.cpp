// The headless run: options, the console as log and boxes, exit codes.
#include "RunCommand.h"

#include "CommandLine.h"
#include "ConsoleText.h"
#include "Usage.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "base/Component.h"
#include "base/Exception.h"
#include "base/StringList.h"
#include "reconciliation/RunComponents.h"
#include "reconciliation/RunLog.h"

#include <charconv>
#include <memory>
#include <optional>

namespace ortavo {

namespace {

struct TRunArguments {
    bool Help = false;
    TLoginOptions Login;
    bool DryRun = false;
    // Every statement prepared anew on the server: for troubleshooting a server.
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

// Options and their values, before and between the two names. Yields nothing, with the
// usage written, for a wrong command line.
std::optional<TRunArguments> ParseArguments(const std::vector<std::string>& args,
                                            std::ostream& err) {
    TRunArguments parsed;
    std::vector<TCommandOption> options = {
        {"--dry-run", nullptr, &parsed.DryRun},
        {"--no-statement-cache", nullptr, &parsed.NoStatementCache},
        {"--journal", &parsed.Journal},
        {"--lock-timeout", &parsed.LockTimeout},
    };
    parsed.Login.AddTo(options);
    std::optional<TCommandLine> line = ParseCommandLine(args, options, err);
    if (!line)
        return std::nullopt;
    parsed.Help = line->Help;
    if (parsed.Help)
        return parsed;
    if (!CheckNames(*line, 2, "run needs DATABASE and FILE", err))
        return std::nullopt;
    parsed.Positional = std::move(line->Names);
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
    if (arguments.Login.User || password) {
        TStrings& params = components.Base.Params();
        String user = u"VORAS", text = u"##480317";
        if (arguments.Login.User)
            user = FromUtf8(*arguments.Login.User);
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
    std::optional<std::string> password;
    if (!arguments->Login.ReadPassword(password, err))
        return RunUsage;
    try {
        return Run(*arguments, password, out, err);
    } catch (...) {
        out.flush();
        VisitException(std::current_exception(), [&](const Exception& e) { WriteError(err, e); });
        err.flush();
        return RunFailed;
    }
}

} // namespace ortavo
