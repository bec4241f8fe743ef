// A run's journal read back for a restore: any text is a journal or a line's fault, and
// what is accepted chooses sales without fault.
#include "FuzzInput.h"

#include "reconciliation/JournalRestore.h"

#include <cmath>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TJournal journal = ParseJournal(fuzz::Bytes(data, size), u"J");
        int line = 1;
        for (const TJournalRow& row : journal.Rows) {
            fuzz::Require(row.Line > line, "rows come after the header, in file order");
            line = row.Line;
            fuzz::Require(std::isfinite(row.OldDiscount) && std::isfinite(row.NewDiscount) &&
                              std::isfinite(row.OldSurcharge) && std::isfinite(row.NewSurcharge),
                          "an accepted amount is a finite number");
            fuzz::Require(journal.Marks || (row.Run.empty() && !row.OldState),
                          "a journal without marks has no runs and no marks");
            const auto sales = SelectSales(journal, row.Database, TRunChoice::All);
            fuzz::Require(!sales.empty(), "every row's database has a sale to restore");
        }
    } catch (const EJournalFormat&) {
        // A line that is no journal row: named by the error.
    }
    return 0;
}
