// The stored settings of the run's database components.
#include "reconciliation/RunComponents.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBQuery.h"

namespace ortavo {

TRunComponents CreateRunComponents(TComponent& owner) {
    auto* base = new TIBDatabase(&owner);
    base->BeginLoading();
    base->SetName(u"Base");
    base->Params().Add(u"user_name=VORAS");
    base->Params().Add(u"password=##480317");
    base->SetLoginPrompt(false);
    base->SetServerType(u"IBServer");

    auto* tr = new TIBTransaction(&owner);
    tr->BeginLoading();
    tr->SetName(u"TR");
    tr->SetDefaultAction(TIBTransactionAction::TACommitRetaining);

    auto* query = new TIBQuery(&owner);
    query->BeginLoading();
    query->SetName(u"Query");
    query->SetBufferChunks(1000);
    query->SetCachedUpdates(true);
    query->SetParamCheck(true);

    // References by name, once all three exist.
    base->SetDefaultTransaction(tr);
    query->SetDatabase(base);
    query->SetTransaction(tr);
    base->Loaded();
    tr->Loaded();
    query->Loaded();
    return {*base, *tr, *query};
}

} // namespace ortavo
