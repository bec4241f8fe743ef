// The transaction: start over its databases, the full and retaining ends, auto-start and
// auto-stop, the bookkeeping of its databases and links, and its idle timer.
#include "IBX/connection/IBTransaction.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBConnectionLoss.h"
#include "IBX/client/IBIntf.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBLists.h"
#include "IBX/connection/IBTimer.h"
#include "IBX/connection/IBTransactionParams.h"
#include "base/Encoding.h"

#include <exception>

namespace ortavo {

namespace {

// One entry of the start call's transaction existence block, as the client library reads it.
struct TISC_TEB {
    isc_db_handle* db_handle;
    ISC_LONG tpb_length;
    const ISC_SCHAR* tpb_address;
};

constexpr char isc_info_tra_id_item = 4;
constexpr short TransactionInfoReplySize = 64;
constexpr double RollbackRetainingClientVersion = 6.0;

bool IsFullEnd(TIBTransactionAction action) {
    return action == TIBTransactionAction::TACommit || action == TIBTransactionAction::TARollback;
}

// Puts a value back when the scope ends, also when an exception passes.
template <typename T> class TRestore {
public:
    TRestore(T& target, T temporary) : FTarget(target), FSaved(target) { target = temporary; }
    ~TRestore() { FTarget = FSaved; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FTarget;
    T FSaved;
};

} // namespace

TIBTransaction::TIBTransaction(TComponent* owner) : TComponent(owner) {
    FTRParams.OnChanging = [this](TStrings&) { ParamsChanging(); };
    FTRParams.OnChange = [this](TStrings&) { FTRParamsChanged = true; };
    if (auto* database = dynamic_cast<TIBDatabase*>(owner))
        SetDefaultDatabase(database);
}

TIBTransaction::TIBTransaction(TComponent* owner, TIBTransactionLevel level)
    : TIBTransaction(owner) {
    SetTransactionLevel(level);
}

TIBTransaction::~TIBTransaction() {
    try {
        FinishWithDefaultAction();
    } catch (...) {
        // A forced end ignores the server; only a link's handler can fail here, and a
        // destructor must not pass that on. The handle is given up either way.
        FHandle = 0;
    }
    // Every link and database is let go on its own, so that one failing handler leaves
    // none of the others pointing at this transaction once it is gone.
    ForEachFromLast(FSQLObjects, [](TIBBase* link) {
        try {
            link->NotifyTransactionFree();
        } catch (...) {
            // The link's own handler failed; it is let go below.
        }
    });
    while (!FSQLObjects.empty()) {
        TIBBase* link = FSQLObjects.back();
        FSQLObjects.pop_back();
        try {
            if (link->Transaction() == this)
                link->SetTransaction(nullptr);
        } catch (...) {
            // The link's Transaction setter failed; it is out of the list regardless.
        }
    }
    ForEachFromLast(FDatabases, [this](TIBDatabase* database) {
        try {
            RemoveDatabase(database);
        } catch (...) {
            // A removal that fails part way must still leave neither side pointing at the
            // other.
            database->ForgetTransaction(this);
            ForgetDatabase(database);
        }
    });
    FTimer = nullptr;
    DestroyComponents();
}

void TIBTransaction::ParamsChanging() {
    CheckNotInTransaction();
}

void TIBTransaction::SetActive(bool value) {
    if (Loading()) {
        FStreamedActive = value;
        return;
    }
    if (value && !InTransaction())
        StartTransaction();
    else if (!value && InTransaction())
        Rollback();
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* value) {
    TIBDatabase* old = FDefaultDatabase;
    if (old && old != value)
        old->RemoveTransaction(this);
    if (value && value != old) {
        value->AddTransaction(this);
        AddDatabase(value);
        for (std::size_t i = 0; i < FSQLObjects.size(); ++i)
            if (!FSQLObjects[i]->Database())
                FSQLObjects[i]->SetOwnerDatabase(value);
    }
    if (FDefaultDatabase && FDefaultDatabase != value)
        RemoveFreeNotification(FDefaultDatabase);
    FDefaultDatabase = value;
    if (value)
        FreeNotification(value);
}

void TIBTransaction::SetDefaultAction(TIBTransactionAction value) {
    if (value == TIBTransactionAction::TARollbackRetaining) {
        IGDSLibrary* library = FDefaultDatabase ? FDefaultDatabase->GDSLibrary() : nullptr;
        std::shared_ptr<IGDSLibrary> server;
        if (!library) {
            server = GetGDSLibrary(u"IBServer");
            library = server.get();
        }
        if (!library || library->GetIBClientVersion() < RollbackRetainingClientVersion)
            RaiseClientError(ibxeIB60feature, {u"isc_rollback_retaining"});
    }
    FDefaultAction = value;
}

int TIBTransaction::IdleTimer() const noexcept {
    return IdleTimerInterval(FTimer);
}

void TIBTransaction::SetIdleTimer(int value) {
    SetIdleTimerInterval(FTimer, this, value, [this] { TimerTick(); });
}

void TIBTransaction::TimerTick() {
    if (!InTransaction())
        return;
    if (!FCanTimeout) {
        FCanTimeout = true;
        return;
    }
    FinishTransaction(FDefaultAction, true);
    FCanTimeout = true;
    if (OnIdleTimer)
        OnIdleTimer(*this);
}

TIBDatabase* TIBTransaction::Databases(int index) const {
    return ItemAt(FDatabases, index);
}

TIBBase* TIBTransaction::SQLObjects(int index) const {
    return ItemAt(FSQLObjects, index);
}

std::int64_t TIBTransaction::TransactionID() {
    if (!InTransaction())
        return 0;
    if (FTransactionID == 0) {
        IGDSLibrary& library = Library();
        const char item = isc_info_tra_id_item;
        char reply[TransactionInfoReplySize] = {};
        Call(library.isc_transaction_info(ThreadStatusVector(), &FHandle, 1, &item,
                                          TransactionInfoReplySize, reply),
             true);
        if (reply[0] == isc_info_tra_id_item) {
            const auto length = static_cast<short>(library.isc_vax_integer(reply + 1, 2));
            if (length > 0 && length <= 8)
                FTransactionID = library.isc_portable_integer(
                    reinterpret_cast<const ISC_UCHAR*>(reply + 3), length);
        }
    }
    return FTransactionID;
}

void TIBTransaction::CheckInTransaction() const {
    if (!InTransaction())
        RaiseClientError(ibxeNotInTransaction);
}

void TIBTransaction::CheckNotInTransaction() const {
    if (InTransaction())
        RaiseClientError(ibxeInTransaction);
}

void TIBTransaction::CheckDatabasesInList() const {
    if (FDatabases.empty())
        RaiseClientError(ibxeNoDatabasesInTransaction);
}

TIBDatabase* TIBTransaction::MainDatabase() const {
    if (FDefaultDatabase)
        return FDefaultDatabase;
    return FDatabases.empty() ? nullptr : FDatabases.front();
}

bool TIBTransaction::AllDatabasesLost() const {
    if (FDatabases.empty())
        return false;
    for (const TIBDatabase* database : FDatabases)
        if (!database->Lost())
            return false;
    return true;
}

IGDSLibrary& TIBTransaction::Library() const {
    TIBDatabase* main = MainDatabase();
    if (main)
        return main->Library();
    std::shared_ptr<IGDSLibrary> server = GetGDSLibrary(u"IBServer");
    server->CheckIBLoaded();
    // The registry keeps its bindings until the process ends.
    return *server;
}

void TIBTransaction::StartTransaction() {
    CheckNotInTransaction();
    CheckDatabasesInList();
    for (TIBDatabase* database : FDatabases) {
        if (!database->Connected() && database->FStreamedConnected)
            database->Open();
        if (!database->Connected())
            RaiseClientError(ibxeDatabaseClosed);
    }
    if (FTRParamsChanged) {
        // Cleared only once the block is built: refused parameters stay refused.
        FTPB = BuildTPB(FTRParams);
        FTRParamsChanged = false;
    }
    std::vector<TISC_TEB> teb;
    teb.reserve(FDatabases.size());
    for (TIBDatabase* database : FDatabases)
        teb.push_back(
            {database->HandleAddress(), TPBLength(), FTPB.empty() ? nullptr : FTPB.data()});
    IGDSLibrary& library = FDatabases.front()->Library();
    const ISC_STATUS status =
        Call(library.isc_start_multiple(ThreadStatusVector(), &FHandle,
                                        static_cast<short>(teb.size()), teb.data()),
             false);
    if (status > 0) {
        FHandle = 0;
        RaiseDatabaseError(&library);
    }
    if (FDefaultDatabase && (FDefaultDatabase->TraceFlags() & tfTransact))
        MonitorHook().TRStart(*this);
}

void TIBTransaction::Commit() {
    FinishTransaction(TIBTransactionAction::TACommit, false);
}

void TIBTransaction::CommitRetaining() {
    FinishTransaction(TIBTransactionAction::TACommitRetaining, false);
}

void TIBTransaction::Rollback() {
    FinishTransaction(TIBTransactionAction::TARollback, false);
}

void TIBTransaction::RollbackRetaining() {
    FinishTransaction(TIBTransactionAction::TARollbackRetaining, false);
}

void TIBTransaction::AutoStartTransaction() {
    if (!FAllowAutoStart)
        return;
    StartTransaction();
    FAutoStarted = true;
}

void TIBTransaction::CheckAutoStop() {
    if (FAutoStopAction == TAutoStopAction::saNone || !InTransaction() || !FAutoStarted)
        return;
    for (TIBBase* link : FSQLObjects) {
        auto* dataSet = dynamic_cast<IConnectionDataSet*>(link->Owner());
        if (dataSet && dataSet->DataSetActive())
            return;
    }
    switch (FAutoStopAction) {
    case TAutoStopAction::saRollback:
        FinishTransaction(TIBTransactionAction::TARollback, false);
        break;
    case TAutoStopAction::saCommit:
        FinishTransaction(TIBTransactionAction::TACommit, false);
        break;
    case TAutoStopAction::saRollbackRetaining:
        FinishTransaction(TIBTransactionAction::TARollbackRetaining, false);
        break;
    case TAutoStopAction::saCommitRetaining:
        FinishTransaction(TIBTransactionAction::TACommitRetaining, false);
        break;
    case TAutoStopAction::saNone:
        break;
    }
}

void TIBTransaction::FinishWithDefaultAction() {
    if (!InTransaction())
        return;
    const bool commit = FDefaultAction == TIBTransactionAction::TACommit ||
                        FDefaultAction == TIBTransactionAction::TACommitRetaining;
    FinishTransaction(commit ? TIBTransactionAction::TACommit : TIBTransactionAction::TARollback,
                      true);
}

void TIBTransaction::NotifyLinks(void (TIBBase::*notify)()) {
    // Index by index: a link's handler may take links out of the list.
    for (std::size_t i = 0; i < FSQLObjects.size(); ++i)
        (FSQLObjects[i]->*notify)();
}

void TIBTransaction::FinishTransaction(TIBTransactionAction action, bool force) {
    CheckInTransaction();
    IGDSLibrary& library = Library();
    if (IsFullEnd(action)) {
        if (FHandleIsShared && action != FDefaultAction && !force)
            RaiseClientError(ibxeCantEndSharedTransaction);
        // A forced end always ends: a link's failure is passed on only once the
        // transaction is over. Otherwise it passes on at once and the transaction stays.
        std::exception_ptr linkError;
        try {
            TRestore<TAutoStopAction> noAutoStop(FAutoStopAction, TAutoStopAction::saNone);
            NotifyLinks(&TIBBase::NotifyBeforeTransactionEnd);
        } catch (...) {
            if (!force)
                throw;
            linkError = std::current_exception();
        }
        EndOnServer(action, force);
        NotifyLinks(&TIBBase::NotifyAfterTransactionEnd);
        FTransactionID = 0;
        if (linkError) {
            FAutoStarted = false;
            std::rethrow_exception(linkError);
        }
    } else {
        auto end = action == TIBTransactionAction::TACommitRetaining
                       ? &IGDSLibrary::isc_commit_retaining
                       : &IGDSLibrary::isc_rollback_retaining;
        Call((library.*end)(ThreadStatusVector(), &FHandle), true);
    }
    TellMonitor(action);
    if (!InTransaction())
        FAutoStarted = false;
}

void TIBTransaction::EndOnServer(TIBTransactionAction action, bool force) {
    if (!InTransaction())
        return;
    IGDSLibrary& library = Library();
    if (FHandleIsShared) {
        // A handle from elsewhere is not ended here, only forgotten.
        FHandle = 0;
        FHandleIsShared = false;
        return;
    }
    if (force && AllDatabasesLost()) {
        // The server cannot end it any more and might not answer (see
        // TIBDatabase::ForceCloseLost); the detach ends it with the attachment.
        FHandle = 0;
        return;
    }
    auto end = action == TIBTransactionAction::TACommit ? &IGDSLibrary::isc_commit_transaction
                                                        : &IGDSLibrary::isc_rollback_transaction;
    const ISC_STATUS status = Call((library.*end)(ThreadStatusVector(), &FHandle), false);
    if (status <= 0)
        return;
    if (force) {
        Call(library.isc_rollback_transaction(ThreadStatusVector(), &FHandle), false);
        FHandle = 0;
        return;
    }
    RaiseEndError(library);
}

void TIBTransaction::RaiseEndError(IGDSLibrary& library) {
    const bool networkFailure = library.isc_sqlcode(ThreadStatusVector()) == -902 &&
                                StatusVectorHas({isc_network_error_code});
    const bool connectionGone = networkFailure || ConnectionLost();
    try {
        RaiseDatabaseError(&library);
    } catch (...) {
        TIBDatabase* main = MainDatabase();
        if (connectionGone && main) {
            // The error was read before the forced close makes further client calls; the
            // close ends this transaction as a forced end.
            std::exception_ptr error = std::current_exception();
            try {
                main->ForceCloseLost();
            } catch (...) {
                // The server's error is the one to report; a handler's failure during the
                // forced close would only hide it.
            }
            std::rethrow_exception(error);
        }
        throw;
    }
}

void TIBTransaction::TellMonitor(TIBTransactionAction action) {
    if (!FDefaultDatabase || !(FDefaultDatabase->TraceFlags() & tfTransact))
        return;
    IIBSQLMonitorHook& hook = MonitorHook();
    switch (action) {
    case TIBTransactionAction::TARollback:
        hook.TRRollback(*this);
        break;
    case TIBTransactionAction::TACommit:
        hook.TRCommit(*this);
        break;
    case TIBTransactionAction::TARollbackRetaining:
        hook.TRRollbackRetaining(*this);
        break;
    case TIBTransactionAction::TACommitRetaining:
        hook.TRCommitRetaining(*this);
        break;
    }
}

ISC_STATUS TIBTransaction::Call(ISC_STATUS status, bool raiseError) {
    for (TIBDatabase* database : FDatabases)
        database->FCanTimeout = false;
    FCanTimeout = false;
    TIBDatabase* main = MainDatabase();
    if (status > 0 && main && ConnectionLost())
        return main->Call(status, raiseError);
    if (raiseError && status > 0)
        RaiseDatabaseError(&Library());
    return status;
}

int TIBTransaction::AddDatabase(TIBDatabase* database) {
    const int index = FindDatabase(database);
    if (index >= 0 || !database)
        return index;
    FDatabases.push_back(database);
    return DatabaseCount() - 1;
}

void TIBTransaction::RemoveDatabase(TIBDatabase* database) {
    if (!database)
        return;
    if (InTransaction() && FDatabases.size() == 1 && FDatabases.front() == database)
        FinishWithDefaultAction();
    const int index = FindDatabase(database);
    if (index >= 0)
        FDatabases.erase(FDatabases.begin() + index);
    if (database->FindTransaction(this) >= 0)
        database->RemoveTransaction(this);
    if (database == FDefaultDatabase) {
        RemoveFreeNotification(FDefaultDatabase);
        FDefaultDatabase = nullptr;
    }
}

void TIBTransaction::RemoveDatabases() {
    ForEachFromLast(FDatabases, [this](TIBDatabase* database) { RemoveDatabase(database); });
}

void TIBTransaction::ForgetDatabase(TIBDatabase* database) noexcept {
    std::erase(FDatabases, database);
    if (database == FDefaultDatabase) {
        RemoveFreeNotification(FDefaultDatabase);
        FDefaultDatabase = nullptr;
    }
}

int TIBTransaction::FindDatabase(TIBDatabase* database) const {
    return IndexOf(FDatabases, database);
}

TIBDatabase* TIBTransaction::FindDefaultDatabase() const {
    if (FDefaultDatabase)
        return FDefaultDatabase;
    for (TIBDatabase* database : FDatabases)
        if (database->FDefaultTransaction == this)
            return database;
    return nullptr;
}

int TIBTransaction::LinkSQLObject(TIBBase* link) {
    const int index = IndexOf(FSQLObjects, link);
    if (index >= 0 || !link)
        return index;
    FSQLObjects.push_back(link);
    return SQLObjectCount() - 1;
}

void TIBTransaction::UnlinkSQLObject(TIBBase* link) {
    const int index = IndexOf(FSQLObjects, link);
    if (index >= 0)
        FSQLObjects.erase(FSQLObjects.begin() + index);
}

void TIBTransaction::UnlinkSQLObjects() {
    FSQLObjects.clear();
}

void TIBTransaction::SetTransactionLevel(TIBTransactionLevel level) {
    CheckNotInTransaction();
    static const char16_t* const presets[] = {
        u"concurrency\nnowait", u"read_committed\nrec_version\nnowait",       u"read\nconsistency",
        u"write\nconsistency",  u"read_committed\nrec_version\nnowait\nread",
    };
    FTRParams.SetText(presets[static_cast<int>(level)]);
}

namespace {

std::string SavepointName(const String& name) {
    // The client reads the name up to its closing zero byte.
    return Encoding::Ansi().Encode(name);
}

} // namespace

void TIBTransaction::StartSavepoint(const String& name) {
    CheckInTransaction();
    std::string bytes = SavepointName(name);
    Call(Library().isc_start_savepoint(ThreadStatusVector(), &FHandle, bytes.data()), false);
}

void TIBTransaction::ReleaseSavepoint(const String& name) {
    CheckInTransaction();
    std::string bytes = SavepointName(name);
    Call(Library().isc_release_savepoint(ThreadStatusVector(), &FHandle, bytes.data()), false);
}

void TIBTransaction::RollbackSavepoint(const String& name) {
    CheckInTransaction();
    std::string bytes = SavepointName(name);
    Call(Library().isc_rollback_savepoint(ThreadStatusVector(), &FHandle, bytes.data(), 0), false);
}

void TIBTransaction::Loaded() {
    TComponent::Loaded();
    if (!FStreamedActive || InTransaction())
        return;
    // A database still being read opens later and starts the transaction then.
    for (TIBDatabase* database : FDatabases)
        if (database->Loading())
            return;
    FStreamedActive = false;
    StartTransaction();
}

void TIBTransaction::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && FDefaultDatabase &&
        component == static_cast<TComponent*>(FDefaultDatabase))
        RemoveDatabase(FDefaultDatabase);
}

} // namespace ortavo
