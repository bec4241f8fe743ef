// Putting back the sales a run overwrote, from the run's journal: the old amounts (bound as
// doubles, so exactly) and the old mark, one sale at a time, each only while it still
// holds what the run left.
#pragma once

#include "reconciliation/JournalReader.h"
#include "reconciliation/ReconciliationRun.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ortavo {

// A sale's amounts and mark (nothing for NULL).
struct TSaleValues {
    double Discount = 0;
    double Surcharge = 0;
    std::optional<String> State;
};

// What restoring one sale means.
struct TSaleRestore {
    std::int32_t Sequence = 0;
    // What the run left: the new amounts of the sale's last selected row and the mark 'P'.
    TSaleValues Journalled;
    // What the run found: the old amounts and mark of its first selected row.
    TSaleValues Old;
};

enum class TRunChoice {
    Latest, // the run of the last row for the database
    One,    // the run named
    All,    // every run
};

// The sales of the rows whose database is database, exactly as written, in the order of
// their first rows. A journal without marks is one run.
std::vector<TSaleRestore> SelectSales(const TJournal& journal, std::string_view database,
                                      TRunChoice choice, std::string_view run = {});

enum class TSaleOutcome { Restored, Unchanged, Conflict, Missing };

// The line saying what became of a sale: "restored 7", "unchanged 7", "missing 7", or
// "conflict 7: holds 1.5/0/A, journal says 2/0/P" (a NULL mark empty).
std::string RestoreLine(const TSaleRestore& sale, TSaleOutcome outcome, const TSaleValues& held);

struct TRestoreTally {
    int Sales = 0; // selected
    int Restored = 0, Unchanged = 0, Conflicts = 0, Missing = 0;

    void Count(TSaleOutcome outcome);
    // "summary: N sales, R restored, U unchanged, C conflicts, M missing"
    std::string Summary() const;
};

class IRestoreFront {
public:
    // Told of every sale once its outcome is kept (or, in a dry run, would be).
    virtual void Sale(const TSaleRestore& sale, TSaleOutcome outcome, const TSaleValues& held) = 0;
    // Why connecting failed.
    virtual void ConnectionRefused(const String& reason) = 0;

protected:
    ~IRestoreFront() = default;
};

struct TRestoreOptions {
    // The same checks and updates, nothing kept.
    bool DryRun = false;
    // False for a journal without marks: the amounts are put back, the marks left.
    bool Marks = true;
};

// Connects to database and restores the sales in order, both updates of a sale committed
// together. False when connecting failed (the front is told why). An error leaves as an
// exception with the sale being restored taken back; those before it stay restored.
bool RestoreSales(const TRunComponents& components, const String& database,
                  const std::vector<TSaleRestore>& sales, const TRestoreOptions& options,
                  IRestoreFront& front);

} // namespace ortavo
