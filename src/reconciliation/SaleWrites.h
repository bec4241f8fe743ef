// How the run and the restore write a sale: the same statements, and the same taking back
// of a sale's uncommitted work when a failure leaves.
#pragma once

#include "base/String.h"

namespace ortavo {

class TIBTransaction;

inline constexpr StringView AmountsUpdate =
    u"UPDATE MVTO_PAI SET PAI_ACRESCIMO = :ACRESCIMO, "
    u"PAI_DESCONTO = :DESCONTO WHERE PAI_SEQU = :SEQUENCIAL";
inline constexpr StringView StateUpdate =
    u"UPDATE MVTO_PAI SET PAI_ESTADO = :ESTADO WHERE PAI_SEQU = :SEQUENCIAL";

// After a failure: the uncommitted work is rolled back, the transaction kept (in a dry run
// it ends). Never raises: the failure that is leaving is the one to report.
void TakeBackAfterFailure(TIBTransaction& transaction, bool dryRun) noexcept;

} // namespace ortavo
