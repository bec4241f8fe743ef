// The headless restore: options, the journal's sales, one line per sale, exit codes.
#include "RestoreCommand.h"

#include "CommandLine.h"
#include "ConsoleText.h"
#include "Usage.h"

#include "base/Component.h"
#include "reconciliation/JournalRestore.h"
#include "reconciliation/RunComponents.h"

#include <optional>

namespace ortavo {

namespace {

struct TRestoreArguments {
    TConnectionOptions Connection;
    bool DryRun = false;
    bool All = false;
    std::optional<std::string> Run;
    bool Help = false;
    std::vector<std::string> Names; // JOURNAL DATABASE
};

// Yields false, with the usage written, for a wrong command line.
bool ParseArguments(const std::vector<std::string>& args, TRestoreArguments& parsed,
                    std::ostream& err) {
    std::vector<TCommandOption> options = {
        {"--dry-run", nullptr, &parsed.DryRun},
        {"--all", nullptr, &parsed.All},
        {"--run", &parsed.Run},
    };
    parsed.Connection.AddTo(options);
    std::optional<TCommandLine> line = ParseCommandLine(args, options, err);
    if (!line)
        return false;
    parsed.Help = line->Help;
    if (parsed.Help)
        return true;
    if (!CheckNames(*line, 2, "restore needs JOURNAL and DATABASE", err))
        return false;
    parsed.Names = std::move(line->Names);
    if (parsed.All && parsed.Run) {
        UsageError(err, "give --run or --all, not both");
        return false;
    }
    return true;
}

// Each sale's line on standard output as it is done; the tally for the summary.
class TConsoleRestore : public IRestoreFront {
public:
    TConsoleRestore(std::ostream& out, std::ostream& err, TRestoreTally& tally)
        : FOut(out), FErr(err), FTally(tally) {}

    void Sale(const TSaleRestore& sale, TSaleOutcome outcome, const TSaleValues& held) override {
        FTally.Count(outcome);
        FOut << RestoreLine(sale, outcome, held) << '\n';
        FOut.flush();
        CheckWritten(FOut, u"standard output");
    }
    void ConnectionRefused(const String& reason) override {
        FErr << "error: Não conseguiu conectar a base de dados\nreason: " << ConsoleText(reason)
             << '\n';
        FErr.flush();
    }

private:
    std::ostream& FOut;
    std::ostream& FErr;
    TRestoreTally& FTally;
};

int Restore(const TRestoreArguments& arguments, TRestoreTally& tally, std::ostream& out,
            std::ostream& err) {
    const std::string& journalName = arguments.Names[0];
    const std::string& database = arguments.Names[1];
    const TJournal journal = ReadJournal(FromUtf8(journalName));
    const TRunChoice choice = arguments.All   ? TRunChoice::All
                              : arguments.Run ? TRunChoice::One
                                              : TRunChoice::Latest;
    const std::vector<TSaleRestore> sales =
        SelectSales(journal, database, choice, arguments.Run.value_or(std::string()));
    if (sales.empty()) {
        err << "notice: " << journalName << " has no row for " << database << '\n';
        return RestoreNoRows;
    }
    if (!journal.Marks)
        err << "notice: " << journalName
            << " keeps no marks (12 columns): the amounts are restored, PAI_ESTADO is left as "
               "it is\n";
    TComponent owner;
    TRunComponents components = CreateRunComponents(owner);
    arguments.Connection.Configure(components);
    TConsoleRestore front(out, err, tally);
    tally.Sales = static_cast<int>(sales.size());
    if (!RestoreSales(components, FromUtf8(database), sales, {arguments.DryRun, journal.Marks},
                      front))
        return RestoreFailed;
    return tally.Conflicts + tally.Missing > 0 ? RestoreLeftSome : RestoreDone;
}

} // namespace

int RestoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TRestoreArguments arguments;
    if (!ParseArguments(args, arguments, err))
        return RestoreUsage;
    if (arguments.Help) {
        WriteUsage(out);
        return RestoreDone;
    }
    if (!arguments.Connection.Resolve(err))
        return RestoreUsage;
    TRestoreTally tally;
    const int status = ReportingErrors(out, err, RestoreFailed,
                                       [&] { return Restore(arguments, tally, out, err); });
    // For every restore that reached the sales, after the error when one ended it (the sales
    // done before it stay done).
    if (tally.Sales > 0) {
        err << tally.Summary() << '\n';
        err.flush();
    }
    return status;
}

} // namespace ortavo
