// The headless run: options, the console as log and boxes, exit codes.
#include "RunCommand.h"

#include "Usage.h"

#include "IBX/IBDatabase.h"
#include "app/ErrorText.h"
#include "base/Component.h"
#include "base/Exception.h"
#include "base/StringList.h"
#include "reconciliation/RunComponents.h"
#include "reconciliation/RunLog.h"

#include <memory>
#include <optional>

namespace ortavo {

namespace {

struct TRunArguments {
    std::optional<std::string> User;
    std::optional<std::string> Password;
    bool DryRun = false;
    // Every statement prepared anew, as before the connection kept them; for comparing.
    bool NoStatementCache = false;
    std::optional<std::string> Journal;
    std::vector<std::string> Positional;
};

// Every line break inside a text becomes one LF.
std::string ConsoleText(const String& text) {
    std::string utf8 = ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

// The log on standard output and the boxes on standard error. The run's clearing of the
// log cannot take back what was printed, so it prints nothing.
class TConsoleFront : public IRunFront {
public:
    TConsoleFront(std::ostream& out, std::ostream& err) : FOut(out), FErr(err) {}

    TMemoLines& FileLines() override { return FLines; }
    void ClearLog() override {}
    void Log(const String& message) override {
        FOut << ConsoleText(RunLogLine(message)) << '\n';
        FOut.flush();
    }
    void Notice(const String& text) override {
        FErr << "notice: " << ConsoleText(text) << '\n';
        if (FReason) {
            FErr << "reason: " << ConsoleText(*FReason) << '\n';
            FReason.reset();
        }
        FErr.flush();
    }
    void ConnectionRefused(const String& reason) override { FReason = reason; }

private:
    std::ostream& FOut;
    std::ostream& FErr;
    TMemoLines FLines;
    std::optional<String> FReason;
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
        else if (name == "--journal")
            target = &parsed.Journal;
        if (!target) {
            UsageError(err, ("unknown option " + arg).c_str());
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
    return parsed;
}

int Run(const TRunArguments& arguments, std::ostream& out, std::ostream& err) {
    TConsoleFront front(out, err);
    std::unique_ptr<TRunJournal> journal;
    if (arguments.Journal)
        journal = std::make_unique<TRunJournal>(FromUtf8(*arguments.Journal));
    // The components go before the journal: the connection's last commit comes first.
    TComponent owner;
    TRunComponents components = CreateRunComponents(owner);
    if (arguments.User || arguments.Password) {
        TStrings& params = components.Base.Params();
        String user = u"VORAS", password = u"##480317";
        if (arguments.User)
            user = FromUtf8(*arguments.User);
        if (arguments.Password)
            password = FromUtf8(*arguments.Password);
        params.Clear();
        params.Add(u"user_name=" + user);
        params.Add(u"password=" + password);
    }
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
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            WriteUsage(out);
            return RunCompleted;
        }
    std::optional<TRunArguments> arguments = ParseArguments(args, err);
    if (!arguments)
        return RunUsage;
    try {
        return Run(*arguments, out, err);
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
