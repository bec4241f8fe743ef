// Taking back a sale's uncommitted work.
#include "reconciliation/SaleWrites.h"

#include "IBX/connection/IBTransaction.h"

namespace ortavo {

void TakeBackAfterFailure(TIBTransaction& transaction, bool dryRun) noexcept {
    try {
        if (!transaction.InTransaction())
            return;
        if (dryRun)
            transaction.Rollback();
        else
            transaction.RollbackRetaining();
    } catch (...) {
        // The failure that is leaving says what went wrong; a lost connection, the usual
        // reason this fails too, has taken the uncommitted work with it anyway.
    }
}

} // namespace ortavo
