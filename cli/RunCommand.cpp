// The headless run: options, the console as log and boxes, exit codes.
#include "RunCommand.h"

#include "CommandLine.h"
#include "ConsoleText.h"
#include "Usage.h"

#include "IBX/connection/IBDatabase.h"
#include "base/Component.h"
#include "reconciliation/RunComponents.h"
#include "reconciliation/RunLog.h"

#include <memory>
#include <optional>

namespace ortavo {

namespace {

struct TRunArguments {
    TConnectionOptions Connection;
    bool DryRun = false;
    // Every statement prepared anew on the server: for troubleshooting a server.
    bool NoStatementCache = false;
    std::optional<std::string> Journal;
    std::optional<std::string> Report;
};

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

// Yields false, with the usage written, for a wrong command line.
bool ParseArguments(const std::vector<std::string>& args, TRunArguments& parsed, bool& help,
                    std::vector<std::string>& names, std::ostream& err) {
    std::vector<TCommandOption> options = {
        {"--dry-run", nullptr, &parsed.DryRun},
        {"--no-statement-cache", nullptr, &parsed.NoStatementCache},
        {"--journal", &parsed.Journal},
        {"--report", &parsed.Report},
    };
    parsed.Connection.AddTo(options);
    std::optional<TCommandLine> line = ParseCommandLine(args, options, err);
    if (!line)
        return false;
    help = line->Help;
    if (help)
        return true;
    if (!CheckNames(*line, 2, "run needs DATABASE and FILE", err))
        return false;
    names = std::move(line->Names);
    return true;
}

int Run(const TRunArguments& arguments, const std::vector<std::string>& names, TCouponTally& tally,
        std::ostream& out, std::ostream& err) {
    TConsoleFront front(out, err);
    std::unique_ptr<TRunJournal> journal;
    if (arguments.Journal)
        journal = std::make_unique<TRunJournal>(FromUtf8(*arguments.Journal));
    std::unique_ptr<TRunReport> report;
    if (arguments.Report)
        report = std::make_unique<TRunReport>(FromUtf8(*arguments.Report));
    // The components go before the journal: the connection's last commit comes first.
    TComponent owner;
    TRunComponents components = CreateRunComponents(owner);
    arguments.Connection.Configure(components);
    components.Base.SetKeepStatements(!arguments.NoStatementCache);
    TRunOptions options;
    options.DryRun = arguments.DryRun;
    options.Journal = journal.get();
    options.Report = report.get();
    options.Tally = &tally;
    TRunOutcome outcome =
        ReconciliationRun(components, FromUtf8(names[0]), FromUtf8(names[1]), front, options);
    return outcome == TRunOutcome::Completed ? RunCompleted : RunEndedByRule;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TRunArguments arguments;
    bool help = false;
    std::vector<std::string> names;
    if (!ParseArguments(args, arguments, help, names, err))
        return RunUsage;
    if (help) {
        WriteUsage(out);
        return RunCompleted;
    }
    if (!arguments.Connection.Resolve(err))
        return RunUsage;
    TCouponTally tally;
    const int status = ReportingErrors(out, err, RunFailed,
                                       [&] { return Run(arguments, names, tally, out, err); });
    // The last line, after the notices and the error, for every run that reached the
    // coupons; what cannot be written here has nothing left to fail.
    if (tally.Started) {
        err << tally.Summary(arguments.DryRun) << '\n';
        err.flush();
    }
    return status;
}

} // namespace ortavo
