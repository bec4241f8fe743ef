// TIBTransaction: one server transaction over the connections of its database list, with
// its parameter block, its ends and its idle timer.
#pragma once

#include "base/Component.h"
#include "base/StringList.h"

#include <ibase.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ortavo {

class IGDSLibrary;
class TIBBase;
class TIBDatabase;
class TIBTimer;

enum class TIBTransactionAction { TARollback, TACommit, TARollbackRetaining, TACommitRetaining };
enum class TAutoStopAction { saNone, saRollback, saCommit, saRollbackRetaining, saCommitRetaining };
enum class TIBTransactionLevel {
    ibtrSnapshot,
    ibtrReadCommitted,
    ibtrReadOnlyTableStability,
    ibtrReadWriteTableStability,
    ibtrPrecommitted
};

// Ownership: the transaction owns its parameter block, its Params and its idle timer. It
// refers to its databases and links by plain pointer; each database keeps this transaction
// in its own list, and whichever of the two is destroyed first takes itself out of the
// other's list (a transaction that loses its last database ends with its default action).
// Links are told when the transaction goes (NotifyTransactionFree).
class TIBTransaction : public TComponent {
public:
    using TNotifyEvent = std::function<void(TIBTransaction& sender)>;

    // With a TIBDatabase as owner, that database becomes the default database.
    explicit TIBTransaction(TComponent* owner = nullptr);
    TIBTransaction(TComponent* owner, TIBTransactionLevel level);
    // Ends an active transaction with its default action (forced); failures are dropped.
    ~TIBTransaction() override;

    // Reading yields InTransaction; true starts, false rolls back.
    bool Active() const noexcept { return InTransaction(); }
    void SetActive(bool value);
    bool InTransaction() const noexcept { return FHandle != 0; }

    TIBDatabase* DefaultDatabase() const noexcept { return FDefaultDatabase; }
    void SetDefaultDatabase(TIBDatabase* value);
    TIBTransactionAction DefaultAction() const noexcept { return FDefaultAction; }
    // TARollbackRetaining needs a client library of version 6 or later (client error 3).
    void SetDefaultAction(TIBTransactionAction value);
    // Changing the lines while active raises client error 19 and keeps them.
    TStrings& Params() noexcept { return FTRParams; }
    void SetParams(const TStrings& value) { FTRParams.Assign(value); }
    bool AllowAutoStart() const noexcept { return FAllowAutoStart; }
    void SetAllowAutoStart(bool value) noexcept { FAllowAutoStart = value; }
    TAutoStopAction AutoStopAction() const noexcept { return FAutoStopAction; }
    void SetAutoStopAction(TAutoStopAction value) noexcept { FAutoStopAction = value; }
    // Milliseconds, 0 for none; negative values raise client error 20.
    int IdleTimer() const noexcept;
    void SetIdleTimer(int value);

    isc_tr_handle Handle() const noexcept { return FHandle; }
    isc_tr_handle* HandleAddress() noexcept { return &FHandle; }
    bool HandleIsShared() const noexcept { return FHandleIsShared; }

    TIBDatabase* Databases(int index) const;
    int DatabaseCount() const noexcept { return static_cast<int>(FDatabases.size()); }
    TIBBase* SQLObjects(int index) const;
    int SQLObjectCount() const noexcept { return static_cast<int>(FSQLObjects.size()); }
    // The block of the last start (empty for no Params lines).
    const std::string& TPB() const noexcept { return FTPB; }
    // BuildTPB refuses a block longer than 32767 bytes, so the length fits.
    std::int16_t TPBLength() const noexcept { return static_cast<std::int16_t>(FTPB.size()); }
    // The server's number for the active transaction, asked once; 0 while inactive.
    std::int64_t TransactionID();

    // Fired when the idle timer has ended the transaction.
    TNotifyEvent OnIdleTimer;

    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();
    // StartTransaction when AllowAutoStart, remembering that it was started this way.
    void AutoStartTransaction();
    // Ends an auto-started transaction by AutoStopAction once no open dataset uses it.
    void CheckAutoStop();
    void CheckInTransaction() const;
    void CheckNotInTransaction() const;
    void CheckDatabasesInList() const;
    // The ends a transaction takes when it must go without being told: a forced commit for
    // the commit actions, a forced rollback for the rollback actions.
    void FinishWithDefaultAction();

    // The transaction's checked client call: a lost connection goes to the main database's
    // Call (which closes it); otherwise a failure raises when raiseError is true.
    ISC_STATUS Call(ISC_STATUS status, bool raiseError);

    int AddDatabase(TIBDatabase* database);
    void RemoveDatabase(TIBDatabase* database);
    void RemoveDatabases();
    int FindDatabase(TIBDatabase* database) const;
    // DefaultDatabase, or the first listed database whose default transaction this is.
    TIBDatabase* FindDefaultDatabase() const;

    int LinkSQLObject(TIBBase* link);
    void UnlinkSQLObject(TIBBase* link);
    void UnlinkSQLObjects();

    void SetTransactionLevel(TIBTransactionLevel level);
    void StartSavepoint(const String& name);
    void ReleaseSavepoint(const String& name);
    void RollbackSavepoint(const String& name);

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TIBDatabase;

    void FinishTransaction(TIBTransactionAction action, bool force);
    // Drops every reference to the database without ending or telling anything; the last
    // resort of a destructor whose orderly removal failed.
    void ForgetDatabase(TIBDatabase* database) noexcept;
    void EndOnServer(TIBTransactionAction action, bool force);
    void NotifyLinks(void (TIBBase::*notify)());
    void TellMonitor(TIBTransactionAction action);
    void RaiseEndError(IGDSLibrary& library);
    TIBDatabase* MainDatabase() const;
    // Every database of the transaction is being closed as lost.
    bool AllDatabasesLost() const;
    IGDSLibrary& Library() const;
    void ParamsChanging();
    void TimerTick();

    bool FCanTimeout = false;
    std::vector<TIBDatabase*> FDatabases;
    std::vector<TIBBase*> FSQLObjects;
    TIBDatabase* FDefaultDatabase = nullptr;
    isc_tr_handle FHandle = 0;
    bool FHandleIsShared = false;
    bool FStreamedActive = false;
    std::string FTPB;
    TIBTimer* FTimer = nullptr; // owned as a component, present while IdleTimer > 0
    TIBTransactionAction FDefaultAction = TIBTransactionAction::TACommit;
    TStringList FTRParams;
    bool FTRParamsChanged = true;
    bool FAutoStarted = false;
    TAutoStopAction FAutoStopAction = TAutoStopAction::saNone;
    bool FAllowAutoStart = true;
    std::int64_t FTransactionID = 0;
};

} // namespace ortavo
