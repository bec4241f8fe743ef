// TIBDatabase: one connection to one database through the client library, with its
// parameters, its transactions and its statement and dataset links.
#pragma once

#include "IBX/connection/CustomConnection.h"
#include "IBX/connection/IBAttachmentResources.h"
#include "IBX/connection/IBBase.h"
#include "IBX/connection/IBTransaction.h"
#include "base/Encoding.h"
#include "base/StringList.h"

#include <ibase.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ortavo {

class IGDSLibrary;
class TIBSchema;
class TIBTimer;

// What the SQL monitor hook is told about; a flag set on the connection enables it.
enum TTraceFlag : std::uint16_t {
    tfQPrepare = 1 << 0,
    tfQExecute = 1 << 1,
    tfQFetch = 1 << 2,
    tfError = 1 << 3,
    tfStmt = 1 << 4,
    tfConnect = 1 << 5,
    tfTransact = 1 << 6,
    tfBlob = 1 << 7,
    tfService = 1 << 8,
    tfMisc = 1 << 9,
};
using TTraceFlags = std::uint16_t;

// Ownership: the connection owns its parameter block, Params, its internal transaction and
// its idle timer, and holds a reference on the client library binding. Transactions and
// links are referred to by plain pointer; each side removes itself from the other's list
// when destroyed, so they may go in either order. Destroying a connected connection closes
// it (its transactions end with their default action) and drops any failure.
class TIBDatabase : public TCustomConnection {
public:
    using TNotifyEvent = std::function<void(TIBDatabase& sender)>;
    using TIBDatabaseLoginEvent = std::function<void(TIBDatabase& database, TStrings& params)>;

    explicit TIBDatabase(TComponent* owner = nullptr);
    ~TIBDatabase() override;

    // Unchanged for an equal name; a different one while connected raises client error 16.
    const String& DatabaseName() const noexcept { return FDBName; }
    void SetDatabaseName(const String& value);
    // Changes while connected raise client error 16 and keep the lines.
    TStrings& Params() noexcept { return FDBParams; }
    void SetParams(const TStrings& value) { FDBParams.Assign(value); }
    TIBTransaction* DefaultTransaction() const noexcept { return FDefaultTransaction; }
    void SetDefaultTransaction(TIBTransaction* value);
    // The registered spelling of the server type; setting it loads its client library.
    const String& ServerType() const noexcept { return FServerType; }
    void SetServerType(const String& value);
    int SQLDialect() const noexcept { return FSQLDialect; }
    // Below 1, or above DBSQLDialect while connected, raises client error 87.
    void SetSQLDialect(int value);
    int DBSQLDialect() const noexcept { return FDBSQLDialect; }
    // Milliseconds, 0 for none; negative values raise client error 20.
    int IdleTimer() const noexcept;
    void SetIdleTimer(int value);
    TTraceFlags TraceFlags() const noexcept { return FTraceFlags; }
    void SetTraceFlags(TTraceFlags value) noexcept { FTraceFlags = value; }
    bool AllowStreamedConnected() const noexcept { return FAllowStreamedConnected; }
    void SetAllowStreamedConnected(bool value) noexcept { FAllowStreamedConnected = value; }
    // Whether statements leave their prepared server statements with the connection for
    // the next statement of the same text; true. Turning it off drops what is kept.
    bool KeepStatements() const noexcept { return FKeepStatements; }
    void SetKeepStatements(bool value);
    // What statements and datasets keep on the attachment; released before every detach.
    TIBAttachmentResources& AttachmentResources() noexcept { return FAttachmentResources; }

    isc_db_handle Handle() const noexcept { return FHandle; }
    isc_db_handle* HandleAddress() noexcept { return &FHandle; }
    // Uses a handle attached elsewhere; it is never detached here. Client error 16 while
    // connected.
    void SetHandle(isc_db_handle value);
    bool HandleIsShared() const noexcept { return FHandleIsShared; }
    TIBTransaction* InternalTransaction() const noexcept { return FInternalTransaction; }
    const String& CharacterSet() const noexcept { return FCharacterSet; }
    int CharacterSetCodePage() const noexcept { return FCharacterSetCodePage; }
    // The code page of text exchanged with the server.
    const ortavo::Encoding& Encoding() const noexcept { return *FEncoding; }
    // The parameter block of the last connect, and how often one was built.
    const std::string& DPB() const noexcept { return FDPB; }
    // BuildDPB refuses a block longer than 32767 bytes, so the length fits.
    std::int16_t DPBLength() const noexcept { return static_cast<std::int16_t>(FDPB.size()); }
    int DPBBuildCount() const noexcept { return FDPBBuildCount; }

    TIBBase* SQLObjects(int index) const { return GetSQLObject(index); }
    int SQLObjectCount() const noexcept { return static_cast<int>(FSQLObjects.size()); }
    TIBTransaction* Transactions(int index) const { return GetTransaction(index); }
    int TransactionCount() const noexcept { return static_cast<int>(FTransactions.size()); }
    TIBBase* GetSQLObject(int index) const;
    TIBTransaction* GetTransaction(int index) const;

    // Edits a copy of Params at a login prompt; the copy then replaces Params.
    TIBDatabaseLoginEvent OnLogin;
    // Fired when the idle timer has closed the connection.
    TNotifyEvent OnIdleTimer;
    // Fired when connecting lowered SQLDialect to the database's dialect.
    TNotifyEvent OnDialectDowngradeWarning;

    // Disconnects, ignoring every server error.
    void ForceClose();
    // ForceClose of a connection the server reported lost or shut down: nothing is asked of
    // the server but the detach.
    void ForceCloseLost();
    // A ForceCloseLost is under way.
    bool Lost() const noexcept { return FLost; }
    void CheckActive() const;
    void CheckInactive() const;
    void CheckDatabaseName() const;
    // The connection's checked client call. With raiseError, a lost connection or network
    // failure closes the connection (ForceClose) and raises the server's message; any
    // other failure raises it. Yields the status.
    ISC_STATUS Call(ISC_STATUS status, bool raiseError);
    // The binding of ServerType, loaded; null while no server type is set.
    IGDSLibrary* GDSLibrary();

    void AddTransaction(TIBTransaction* transaction);
    void RemoveTransaction(TIBTransaction* transaction);
    void RemoveTransactions();
    int FindTransaction(TIBTransaction* transaction) const;
    // DefaultTransaction, or the first other transaction whose default database this is.
    TIBTransaction* FindDefaultTransaction() const;

    int LinkSQLObject(TIBBase* link);
    void UnlinkSQLObject(TIBBase* link);
    void UnlinkSQLObjects();

    // Schema questions, answered by the schema cache of the database name (which may read
    // the system tables on this connection); false while the connection holds none.
    bool Has_COMPUTED_BLR(const String& relation, const String& field);
    bool Has_DEFAULT_VALUE(const String& relation, const String& field);
    bool In_Key(const String& relation, const String& field);
    // Forgets every table the schema cache has learnt.
    void FlushSchema();
    TIBSchema* Schema() const noexcept { return FSchema.get(); }

    void Loaded() override;

protected:
    void ConnectToServer() override;
    void DisconnectFromServer() override;
    bool QueryConnected() const override { return FHandle != 0; }
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TIBTransaction;

    // Ends links and transactions and detaches; forced, server errors are ignored.
    void DetachDatabase(bool force);
    // Drops every reference to the transaction without ending or telling anything; the
    // last resort of a destructor whose orderly removal failed.
    void ForgetTransaction(TIBTransaction* transaction) noexcept;
    void Login();
    void PrepareDPB();
    void QueryDialect(IGDSLibrary& library);
    // Without a server type the connection takes "IBServer", loading its binding.
    void UseDefaultServerType();
    IGDSLibrary& Library();
    void TimerTick();

    String FHiddenPassword;
    TTraceFlags FTraceFlags = 0;
    int FDBSQLDialect = 3;
    int FSQLDialect = 3;
    bool FCanTimeout = false;
    std::vector<TIBBase*> FSQLObjects;
    std::vector<TIBTransaction*> FTransactions;
    String FDBName;
    TStringList FDBParams;
    bool FDBParamsChanged = true;
    std::string FDPB;
    int FDPBBuildCount = 0;
    isc_db_handle FHandle = 0;
    bool FHandleIsShared = false;
    TIBTransaction* FDefaultTransaction = nullptr;
    TIBTransaction* FInternalTransaction = nullptr; // owned as a component
    TIBTimer* FTimer = nullptr;                     // owned as a component, while IdleTimer > 0
    bool FAllowStreamedConnected = true;
    bool FKeepStatements = true;
    bool FLost = false;
    TIBAttachmentResources FAttachmentResources;
    std::shared_ptr<TIBSchema> FSchema; // the schema cache, none until one is taken
    std::shared_ptr<IGDSLibrary> FGDSLibrary;
    String FCharacterSet;
    int FCharacterSetCodePage = 0;
    String FServerType;
    const ortavo::Encoding* FEncoding;
};

} // namespace ortavo
