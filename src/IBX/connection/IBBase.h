// TIBBase: the link of a statement or dataset to one connection and one transaction, and
// the notifications those send it.
#pragma once

#include "base/Component.h"

#include <ibase.h>

#include <functional>

namespace ortavo {

class TIBDatabase;
class TIBTransaction;

// Ownership: a link belongs to its owner (the statement or dataset) and refers to its
// database and transaction by plain pointer. Both keep the link in their lists and clear
// the link's reference when they go (NotifyDatabaseFree, NotifyTransactionFree), so the
// link may outlive them; a link leaves both lists when it is destroyed.
class TIBBase {
public:
    using TNotifyEvent = std::function<void(TIBBase& sender)>;

    explicit TIBBase(TComponent* owner);
    virtual ~TIBBase();
    TIBBase(const TIBBase&) = delete;
    TIBBase& operator=(const TIBBase&) = delete;

    TComponent* Owner() const noexcept { return FOwner; }
    TIBDatabase* Database() const noexcept { return FDatabase; }
    virtual void SetDatabase(TIBDatabase* value);
    TIBTransaction* Transaction() const noexcept { return FTransaction; }
    virtual void SetTransaction(TIBTransaction* value);
    int IndexInDatabase() const noexcept { return FIndexInDatabase; }

    // How a transaction hands its default database to a link that has none: through the
    // owner's own Database setter. A statement or dataset that does more there overrides it.
    virtual void SetOwnerDatabase(TIBDatabase* value) { SetDatabase(value); }

    virtual void NotifyBeforeDatabaseDisconnect();
    virtual void NotifyAfterDatabaseDisconnect();
    virtual void NotifyDatabaseFree();
    virtual void NotifyBeforeTransactionEnd();
    virtual void NotifyAfterTransactionEnd();
    virtual void NotifyTransactionFree();

    // The address of the connection's and of the transaction's handle, after checking that
    // they are there and active.
    virtual isc_db_handle* DBHandle();
    virtual isc_tr_handle* TRHandle();
    // Client error 24 without a database, otherwise the database's CheckActive.
    virtual void CheckDatabase();
    // Client error 25 without a transaction, otherwise the transaction's CheckInTransaction.
    virtual void CheckTransaction();

    TNotifyEvent BeforeDatabaseDisconnect;
    TNotifyEvent AfterDatabaseDisconnect;
    TNotifyEvent OnDatabaseFree;
    TNotifyEvent BeforeTransactionEnd;
    TNotifyEvent AfterTransactionEnd;
    TNotifyEvent OnTransactionFree;

private:
    void Fire(const TNotifyEvent& event);

    TIBDatabase* FDatabase = nullptr;
    int FIndexInDatabase = -1;
    TIBTransaction* FTransaction = nullptr;
    TComponent* FOwner;
};

} // namespace ortavo
