// The database connection: parameters, connect and disconnect, the checked call, and the
// bookkeeping of its transactions and links.
#include "IBX/connection/IBDatabase.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBBlockingCall.h"
#include "IBX/client/IBConnectionLoss.h"
#include "IBX/client/IBIntf.h"
#include "IBX/client/IBNameCodeset.h"
#include "IBX/connection/IBDatabaseParams.h"
#include "IBX/connection/IBLists.h"
#include "IBX/connection/IBSchemaRegistry.h"
#include "IBX/connection/IBTimer.h"

#include <algorithm>
#include <iterator>

namespace ortavo {

namespace {

constexpr char isc_info_db_SQL_dialect_item = 62;
constexpr short DatabaseInfoReplySize = 512;

// The binding registered under spelling, loaded; client error 123 naming shownName when
// nothing is registered under it.
std::shared_ptr<IGDSLibrary> LoadedBinding(const String& spelling, const String& shownName) {
    std::shared_ptr<IGDSLibrary> library = GetGDSLibrary(spelling);
    if (!library)
        RaiseClientError(ibxeInvalidLibraryType, {shownName});
    library->CheckIBLoaded();
    return library;
}

} // namespace

TIBDatabase::TIBDatabase(TComponent* owner)
    : TCustomConnection(owner), FEncoding(&Encoding::Ansi()) {
    SetLoginPrompt(true);
    FDBParams.OnChanging = [this](TStrings&) { CheckInactive(); };
    FDBParams.OnChange = [this](TStrings&) { FDBParamsChanged = true; };
    // The internal transaction takes this connection as its default database, which also
    // lists it in FTransactions.
    FInternalTransaction = new TIBTransaction(this);
}

TIBDatabase::~TIBDatabase() {
    try {
        if (FInternalTransaction->InTransaction())
            FInternalTransaction->Rollback();
    } catch (...) {
        // A destructor must not throw; the connection is closed below either way.
    }
    try {
        SetIdleTimer(0);
        if (Connected()) {
            try {
                Close();
            } catch (...) {
                // A failed close while the connection goes is dropped; what is left of the
                // attachment is given up without asking the server.
                ForceClose();
            }
        }
    } catch (...) {
        // Only an event handler can fail here (ForceClose ignores server errors); a
        // destructor must not pass it on.
    }
    try {
        // A disconnect handler that refused both the close and the forced close must not
        // leave the attachment open behind a connection that no longer exists.
        if (Connected())
            DetachDatabase(true);
    } catch (...) {
        // As above: only a link's handler can fail in a forced detach.
    }
    // Every link and transaction is let go on its own, so that one failing handler leaves
    // none of the others pointing at this connection once it is gone.
    ForEachFromLast(FSQLObjects, [](TIBBase* link) {
        try {
            link->NotifyDatabaseFree();
        } catch (...) {
            // The link's own handler failed; it is unlinked below.
        }
    });
    while (!FSQLObjects.empty()) {
        TIBBase* link = FSQLObjects.back();
        try {
            UnlinkSQLObject(link);
        } catch (...) {
            // The link's Database setter failed: drop it from the list regardless.
            std::erase(FSQLObjects, link);
        }
    }
    ForEachFromLast(FTransactions, [this](TIBTransaction* transaction) {
        try {
            RemoveTransaction(transaction);
        } catch (...) {
            // The transaction ended (a forced end always ends), but a link of it failed on
            // the way; it must still forget this connection.
            ForgetTransaction(transaction);
            transaction->ForgetDatabase(this);
        }
    });
    // Owned components (the internal transaction, the timer) go while this is still a
    // connection, so that nothing they do reaches a half-destroyed object.
    FInternalTransaction = nullptr;
    FTimer = nullptr;
    DestroyComponents();
}

void TIBDatabase::SetDatabaseName(const String& value) {
    if (value == FDBName)
        return;
    CheckInactive();
    FDBName = value;
    FSchema.reset();
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction* value) {
    TIBTransaction* old = FDefaultTransaction;
    if (old && old != value && FindTransaction(old) >= 0 && old->FDefaultDatabase != this)
        RemoveTransaction(old);
    if (value && value != old) {
        value->AddDatabase(this);
        AddTransaction(value);
    }
    if (FDefaultTransaction && FDefaultTransaction != value)
        RemoveFreeNotification(FDefaultTransaction);
    FDefaultTransaction = value;
    if (value)
        FreeNotification(value);
}

void TIBDatabase::SetServerType(const String& value) {
    if (value.empty()) {
        FGDSLibrary.reset();
        FServerType.clear();
        return;
    }
    if (value == FServerType)
        return;
    if (Connected())
        throw Exception(u"ServerType can not be changed on an active connection");
    const String spelling = LookupServerType(value);
    // The previous binding stays until the new one is loaded.
    FGDSLibrary = LoadedBinding(spelling, value);
    FServerType = spelling;
}

void TIBDatabase::SetSQLDialect(int value) {
    if (value < 1 || (Connected() && value > FDBSQLDialect))
        RaiseClientError(ibxeSQLDialectInvalid);
    FSQLDialect = value;
}

void TIBDatabase::SetKeepStatements(bool value) {
    if (value == FKeepStatements)
        return;
    FKeepStatements = value;
    if (!value && Connected())
        FAttachmentResources.ReleaseAll(false);
}

int TIBDatabase::IdleTimer() const noexcept {
    return IdleTimerInterval(FTimer);
}

void TIBDatabase::SetIdleTimer(int value) {
    SetIdleTimerInterval(FTimer, this, value, [this] { TimerTick(); });
}

void TIBDatabase::TimerTick() {
    if (Connected() && FCanTimeout) {
        ForceClose();
        if (OnIdleTimer)
            OnIdleTimer(*this);
    } else {
        FCanTimeout = true;
    }
}

void TIBDatabase::SetHandle(isc_db_handle value) {
    if (value == FHandle)
        return;
    CheckInactive();
    FHandle = value;
    FHandleIsShared = value != 0;
}

TIBBase* TIBDatabase::GetSQLObject(int index) const {
    return ItemAt(FSQLObjects, index);
}

TIBTransaction* TIBDatabase::GetTransaction(int index) const {
    return ItemAt(FTransactions, index);
}

void TIBDatabase::CheckActive() const {
    if (!Connected())
        RaiseClientError(ibxeDatabaseClosed);
}

void TIBDatabase::CheckInactive() const {
    if (Connected())
        RaiseClientError(ibxeDatabaseOpen);
}

void TIBDatabase::CheckDatabaseName() const {
    if (FDBName.empty())
        RaiseClientError(ibxeDatabaseNameMissing);
}

IGDSLibrary* TIBDatabase::GDSLibrary() {
    if (!FGDSLibrary && !FServerType.empty())
        FGDSLibrary = LoadedBinding(FServerType, FServerType);
    return FGDSLibrary.get();
}

void TIBDatabase::UseDefaultServerType() {
    if (FServerType.empty())
        SetServerType(u"IBServer");
}

IGDSLibrary& TIBDatabase::Library() {
    UseDefaultServerType();
    return *GDSLibrary();
}

ISC_STATUS TIBDatabase::Call(ISC_STATUS status, bool raiseError) {
    UseDefaultServerType();
    FCanTimeout = false;
    if (raiseError && status > 0 && ConnectionLost()) {
        // The message is read before ForceClose makes further client calls.
        const IBDataBaseError error = ComposeDatabaseErrorMessage(GDSLibrary());
        ForceCloseLost();
        if (FTraceFlags & tfError)
            MonitorHook().SendError(IntToStr(error.SQLCode) + u" " + IntToStr(error.IBErrorCode) +
                                        u" " + error.Message,
                                    *this);
        throw EIBInterBaseError(error.SQLCode, error.IBErrorCode, error.Message);
    }
    if (raiseError && status > 0)
        RaiseDatabaseError(GDSLibrary());
    return status;
}

void TIBDatabase::Login() {
    if (!OnLogin)
        // No login dialog exists in this layer: without a handler the login is refused.
        RaiseClientError(ibxeOperationCancelled);
    TStringList loginParams;
    loginParams.Assign(FDBParams);
    OnLogin(*this, loginParams);
    FDBParams.Assign(loginParams);
}

void TIBDatabase::PrepareDPB() {
    if (!FDBParamsChanged)
        return;
    TDatabaseParamBlock block;
    if (LoginPrompt() && !FHiddenPassword.empty()) {
        TStringList withPassword;
        withPassword.Assign(FDBParams);
        withPassword.Add(u"password=" + FHiddenPassword);
        block = BuildDPB(withPassword);
    } else {
        block = BuildDPB(FDBParams);
    }
    // Only a block that was built replaces the old one: after a refused parameter the next
    // connect tries the parameters again instead of using a stale block.
    FDBParamsChanged = false;
    FCharacterSet = u"NONE";
    FCharacterSetCodePage = Encoding::Ansi().CodePage();
    FEncoding = &Encoding::Ansi();
    if (block.NamesCharacterSet) {
        FCharacterSet = block.CharacterSet;
        FCharacterSetCodePage = block.CharacterSetCodePage;
        if (block.CharacterSetEncoding)
            FEncoding = block.CharacterSetEncoding;
    }
    FDPB = std::move(block.DPB);
    ++FDPBBuildCount;
}

void TIBDatabase::ConnectToServer() {
    UseDefaultServerType();
    CheckInactive();
    CheckDatabaseName();
    if (!LoginPrompt() && !FHiddenPassword.empty()) {
        FHiddenPassword.clear();
        FDBParamsChanged = true;
    }
    if (LoginPrompt())
        Login();
    FSchema = SchemaRegistry::Lookup(FDBName);
    PrepareDPB();

    IGDSLibrary& library = Library();
    // The client library takes names in UTF-8 on this platform (AttachDPB tells it so).
    const std::string name = ToUtf8(FDBName);
    // The attach call takes the name's length as a 16-bit count: a longer name would wrap
    // and attach to a different name, so it is refused.
    constexpr std::size_t MaxNameBytes = 32767;
    if (name.size() > MaxNameBytes)
        throw EIBClientError(
            ibxeStringTooLarge,
            Format(u"Database name is %d bytes long; at most %d fit", {name.size(), MaxNameBytes}));
    const std::string dpb = AttachDPB(FDPB, name);
    ISC_STATUS status = 0;
    // The attach may wait long for an unanswering host; it may run on another thread, so it
    // writes its own status vector, copied to this thread's afterwards.
    StatusVectorArray attachStatus = {};
    isc_db_handle handle = FHandle;
    RunBlockingCall([&] {
        const TUtf8NameScope utf8Names;
        status = library.isc_attach_database(attachStatus, static_cast<short>(name.size()),
                                             name.data(), &handle, static_cast<short>(dpb.size()),
                                             dpb.empty() ? nullptr : dpb.data());
    });
    FHandle = handle;
    std::copy(std::begin(attachStatus), std::end(attachStatus), ThreadStatusVector());
    Call(status, false);
    if (status > 0) {
        FHandle = 0;
        RaiseDatabaseError(&library);
    }
    QueryDialect(library);
    if (FDBSQLDialect < FSQLDialect) {
        FSQLDialect = FDBSQLDialect;
        if (OnDialectDowngradeWarning)
            OnDialectDowngradeWarning(*this);
    }
    if (FTraceFlags & tfConnect)
        MonitorHook().DBConnect(*this);
}

void TIBDatabase::QueryDialect(IGDSLibrary& library) {
    const char item = isc_info_db_SQL_dialect_item;
    char reply[DatabaseInfoReplySize] = {};
    // A lost connection closes it before the error is raised.
    Call(library.isc_database_info(ThreadStatusVector(), &FHandle, 1, &item, DatabaseInfoReplySize,
                                   reply),
         true);
    if (reply[0] != isc_info_db_SQL_dialect_item) {
        FDBSQLDialect = 1;
        return;
    }
    const auto length = static_cast<short>(library.isc_vax_integer(reply + 1, 2));
    FDBSQLDialect = static_cast<int>(library.isc_vax_integer(reply + 3, length));
}

void TIBDatabase::DisconnectFromServer() {
    if (Connected()) {
        try {
            DetachDatabase(false);
        } catch (...) {
            ForceClose();
            throw;
        }
    }
    FDBSQLDialect = 1;
}

void TIBDatabase::DetachDatabase(bool force) {
    CheckActive();
    // A forced detach hides the handle while links and transactions end, so that they see
    // a closed connection and make no server calls for it.
    const isc_db_handle handle = FHandle;
    if (force)
        FHandle = 0;
    auto step = [force](auto&& action) {
        if (!force) {
            action();
            return;
        }
        try {
            action();
        } catch (...) {
            // A forced close goes on whatever a link or transaction reports.
        }
    };
    for (std::size_t i = 0; i < FSQLObjects.size(); ++i)
        step([&] { FSQLObjects[i]->NotifyBeforeDatabaseDisconnect(); });
    // What the links left kept on the attachment goes before the transactions end, as the
    // links' own statements do, and before the detach: a statement handle outliving its
    // attachment could later name another attachment's statement.
    if (FLost)
        FAttachmentResources.AbandonAll();
    else
        FAttachmentResources.ReleaseAll(force);
    for (std::size_t i = 0; i < FTransactions.size(); ++i)
        step([&] { FTransactions[i]->FinishWithDefaultAction(); });
    if (force)
        FHandle = handle;
    if (!FHandleIsShared && FHandle != 0) {
        const ISC_STATUS status =
            Call(Library().isc_detach_database(ThreadStatusVector(), &FHandle), false);
        if (status > 0 && !force)
            RaiseDatabaseError(GDSLibrary());
    }
    FHandle = 0;
    FHandleIsShared = false;
    if (FTraceFlags & tfConnect)
        MonitorHook().DBDisconnect(*this);
    for (std::size_t i = 0; i < FSQLObjects.size(); ++i)
        FSQLObjects[i]->NotifyAfterDatabaseDisconnect();
}

void TIBDatabase::ForceClose() {
    if (!Connected())
        return;
    FireEvent(BeforeDisconnect);
    NotifyClients(false);
    DetachDatabase(true);
    FireEvent(AfterDisconnect);
}

void TIBDatabase::ForceCloseLost() {
    // Firebird 3 may never answer a transaction end on an attachment shut down under it
    // (deleted through MON$ATTACHMENTS) once a statement execution met the shutdown: it stops
    // reading the connection and the client waits for ever. It does answer the detach. A
    // lost connection can commit nothing anyway, so its transactions and kept statements
    // are given up without a server call and go with the attachment at the detach.
    struct TLost {
        bool& Flag;
        bool Was;
        ~TLost() { Flag = Was; }
    } lost{FLost, FLost};
    FLost = true;
    ForceClose();
}

void TIBDatabase::AddTransaction(TIBTransaction* transaction) {
    if (transaction && FindTransaction(transaction) < 0)
        FTransactions.push_back(transaction);
}

void TIBDatabase::RemoveTransaction(TIBTransaction* transaction) {
    if (!transaction)
        return;
    const int index = FindTransaction(transaction);
    if (index >= 0)
        FTransactions.erase(FTransactions.begin() + index);
    if (transaction->FindDatabase(this) >= 0)
        transaction->RemoveDatabase(this);
    if (transaction == FDefaultTransaction) {
        RemoveFreeNotification(FDefaultTransaction);
        FDefaultTransaction = nullptr;
    }
}

void TIBDatabase::RemoveTransactions() {
    ForEachFromLast(FTransactions,
                    [this](TIBTransaction* transaction) { RemoveTransaction(transaction); });
}

void TIBDatabase::ForgetTransaction(TIBTransaction* transaction) noexcept {
    std::erase(FTransactions, transaction);
    if (transaction == FDefaultTransaction) {
        RemoveFreeNotification(FDefaultTransaction);
        FDefaultTransaction = nullptr;
    }
}

int TIBDatabase::FindTransaction(TIBTransaction* transaction) const {
    return IndexOf(FTransactions, transaction);
}

TIBTransaction* TIBDatabase::FindDefaultTransaction() const {
    if (FDefaultTransaction)
        return FDefaultTransaction;
    for (TIBTransaction* transaction : FTransactions)
        if (transaction != FInternalTransaction && transaction->FDefaultDatabase == this)
            return transaction;
    return nullptr;
}

int TIBDatabase::LinkSQLObject(TIBBase* link) {
    if (dynamic_cast<IConnectionDataSet*>(link->Owner()))
        AddClient(link->Owner(), nullptr);
    const int index = IndexOf(FSQLObjects, link);
    if (index >= 0)
        return index;
    FSQLObjects.push_back(link);
    return SQLObjectCount() - 1;
}

void TIBDatabase::UnlinkSQLObject(TIBBase* link) {
    const int index = link ? IndexOf(FSQLObjects, link) : -1;
    if (index < 0)
        return;
    FSQLObjects.erase(FSQLObjects.begin() + index);
    if (link->Database() == this)
        link->SetDatabase(nullptr);
    if (dynamic_cast<IConnectionDataSet*>(link->Owner()))
        RemoveClient(link->Owner());
}

void TIBDatabase::UnlinkSQLObjects() {
    ForEachFromLast(FSQLObjects, [this](TIBBase* link) { UnlinkSQLObject(link); });
}

bool TIBDatabase::Has_COMPUTED_BLR(const String& relation, const String& field) {
    return FSchema && FSchema->Has_COMPUTED_BLR(*this, relation, field);
}

bool TIBDatabase::Has_DEFAULT_VALUE(const String& relation, const String& field) {
    return FSchema && FSchema->Has_DEFAULT_VALUE(*this, relation, field);
}

bool TIBDatabase::In_Key(const String& relation, const String& field) {
    return FSchema && FSchema->In_Key(*this, relation, field);
}

void TIBDatabase::FlushSchema() {
    if (FSchema)
        FSchema->FreeNodes();
}

void TIBDatabase::Loaded() {
    TCustomConnection::Loaded();
    UseDefaultServerType();
    if (!FAllowStreamedConnected) {
        FStreamedConnected = false;
        for (TIBTransaction* transaction : FTransactions)
            transaction->FStreamedActive = false;
        return;
    }
    if (FStreamedConnected) {
        FStreamedConnected = false;
        Open();
        for (TIBTransaction* transaction : FTransactions)
            if (transaction->FStreamedActive && !transaction->InTransaction()) {
                transaction->FStreamedActive = false;
                transaction->StartTransaction();
            }
    }
}

void TIBDatabase::Notification(TComponent* component, TOperation operation) {
    TCustomConnection::Notification(component, operation);
    if (operation == TOperation::opRemove && FDefaultTransaction &&
        component == static_cast<TComponent*>(FDefaultTransaction))
        RemoveTransaction(FDefaultTransaction);
}

} // namespace ortavo
