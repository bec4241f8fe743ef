// The reconciliation run: connect, load the fiscal file, check its company, run the start
// procedure, and bring every coupon's discount and surcharge into its sale.
#pragma once

#include "reconciliation/CouponTally.h"
#include "reconciliation/RunFront.h"
#include "reconciliation/RunJournal.h"
#include "reconciliation/RunReport.h"

namespace ortavo {

class TIBDatabase;
class TIBTransaction;
class TIBQuery;

// How a run ended when no exception left it.
enum class TRunOutcome {
    Completed,       // "Concluído"
    NoConnection,    // connecting failed
    FileMissing,     // the file name names no file
    CompanyNotFound, // the header's company is no branch of the database
    NotCotepe,       // the file does not open with an "E01" header
};

struct TRunOptions {
    // Nothing is kept: no commit, the transaction rolled back at the end and when an error
    // leaves; the log lists what a real run would change.
    bool DryRun = false;
    // Told of every sale whose amounts are overwritten, before its work is committed.
    TRunJournal* Journal = nullptr;
    // Told of every coupon record in file order, once its outcome is known; the coupon on
    // which an error ends the run as failed.
    TRunReport* Report = nullptr;
    // Counts the same outcomes; it stays with the caller when an error ends the run.
    TCouponTally* Tally = nullptr;
};

// The three components of the window's layout that a run drives.
struct TRunComponents {
    TIBDatabase& Base;
    TIBTransaction& TR;
    TIBQuery& Query;
};

// One run over the database named databaseName and the fiscal file fileName. Every failure
// that the run does not handle itself leaves as an exception; whatever was committed
// before it stays committed, and the coupon being written when it came is undone whole.
TRunOutcome ReconciliationRun(const TRunComponents& components, const String& databaseName,
                              const String& fileName, IRunFront& front,
                              const TRunOptions& options = {});

} // namespace ortavo
