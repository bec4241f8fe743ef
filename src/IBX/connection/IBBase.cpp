// The statement and dataset link: its setters and notifications.
#include "IBX/connection/IBBase.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBDatabase.h"

namespace ortavo {

TIBBase::TIBBase(TComponent* owner) : FOwner(owner) {}

TIBBase::~TIBBase() {
    try {
        // The link's own setters: a derived class is gone by now.
        TIBBase::SetDatabase(nullptr);
        TIBBase::SetTransaction(nullptr);
    } catch (...) {
        // Leaving the lists raises nothing in practice; a destructor must not pass anything
        // on, and a link that is gone has nothing left to report it to.
    }
}

void TIBBase::SetDatabase(TIBDatabase* value) {
    if (FDatabase)
        FDatabase->UnlinkSQLObject(this);
    FDatabase = value;
    if (value) {
        FIndexInDatabase = value->LinkSQLObject(this);
        if (!FTransaction)
            SetTransaction(value->FindDefaultTransaction());
    }
}

void TIBBase::SetTransaction(TIBTransaction* value) {
    if (FTransaction)
        FTransaction->UnlinkSQLObject(this);
    FTransaction = value;
    if (value) {
        value->LinkSQLObject(this);
        if (!FDatabase)
            SetDatabase(value->FindDefaultDatabase());
    }
}

void TIBBase::Fire(const TNotifyEvent& event) {
    if (event)
        event(*this);
}

void TIBBase::NotifyBeforeDatabaseDisconnect() {
    Fire(BeforeDatabaseDisconnect);
}

void TIBBase::NotifyAfterDatabaseDisconnect() {
    Fire(AfterDatabaseDisconnect);
}

void TIBBase::NotifyDatabaseFree() {
    Fire(OnDatabaseFree);
    SetDatabase(nullptr);
}

void TIBBase::NotifyBeforeTransactionEnd() {
    Fire(BeforeTransactionEnd);
}

void TIBBase::NotifyAfterTransactionEnd() {
    Fire(AfterTransactionEnd);
}

void TIBBase::NotifyTransactionFree() {
    Fire(OnTransactionFree);
    SetTransaction(nullptr);
}

isc_db_handle* TIBBase::DBHandle() {
    CheckDatabase();
    return FDatabase->HandleAddress();
}

isc_tr_handle* TIBBase::TRHandle() {
    CheckTransaction();
    return FTransaction->HandleAddress();
}

void TIBBase::CheckDatabase() {
    if (!FDatabase)
        RaiseClientError(ibxeDatabaseNotAssigned, {});
    FDatabase->CheckActive();
}

void TIBBase::CheckTransaction() {
    if (!FTransaction)
        RaiseClientError(ibxeTransactionNotAssigned, {});
    FTransaction->CheckInTransaction();
}

} // namespace ortavo
