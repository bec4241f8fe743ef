// Creating, using and dropping the tests' temporary databases through the raw binding.
#include "TestDatabase.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBConnectionLoss.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace ortavo::test {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    const IBDataBaseError error = ComposeDatabaseErrorMessage(&Client());
    std::string text = what + ": " + ToUtf8(error.Message);
    if (StatusVectorHas({isc_network_error_code, isc_net_read_err_code, isc_net_write_err_code}))
        text += " (is the Firebird server running on 127.0.0.1:3050? "
                "start it with scripts/firebird-server start)";
    throw std::runtime_error(text);
}

void Check(ISC_STATUS status, const std::string& what) {
    if (status > 0)
        Fail(what);
}

// A raw attachment as SYSDBA, detached when it goes.
class TRawAttachment {
public:
    explicit TRawAttachment(const std::string& name) {
        const std::string dpb = LoginDPB("SYSDBA", SysdbaPassword());
        Check(testing::Attach(name, &FHandle, dpb), "attach " + name);
    }
    ~TRawAttachment() {
        if (FHandle)
            Client().isc_detach_database(ThreadStatusVector(), &FHandle);
    }
    TRawAttachment(const TRawAttachment&) = delete;
    TRawAttachment& operator=(const TRawAttachment&) = delete;
    isc_db_handle* Handle() { return &FHandle; }
    // Drops the database; when the server refuses, the attachment is detached as usual.
    void Drop() {
        if (Client().isc_drop_database(ThreadStatusVector(), &FHandle) == 0)
            FHandle = 0;
    }

private:
    isc_db_handle FHandle = 0;
};

// A raw transaction on one attachment, rolled back unless committed.
class TRawTransaction {
public:
    explicit TRawTransaction(isc_db_handle* database, int lockTimeout = 0) {
        const char tpb[] = {isc_tpb_version3,
                            isc_tpb_concurrency,
                            isc_tpb_write,
                            isc_tpb_wait,
                            isc_tpb_lock_timeout,
                            4,
                            static_cast<char>(lockTimeout & 0xFF),
                            static_cast<char>(lockTimeout >> 8 & 0xFF),
                            0,
                            0};
        Check(Client().isc_start_transaction(ThreadStatusVector(), &FHandle, 1, database,
                                             lockTimeout > 0 ? sizeof tpb : 0,
                                             lockTimeout > 0 ? tpb : nullptr),
              "start a transaction");
    }
    ~TRawTransaction() {
        if (FHandle)
            Client().isc_rollback_transaction(ThreadStatusVector(), &FHandle);
    }
    TRawTransaction(const TRawTransaction&) = delete;
    TRawTransaction& operator=(const TRawTransaction&) = delete;
    isc_tr_handle* Handle() { return &FHandle; }
    void Commit() {
        Check(Client().isc_commit_transaction(ThreadStatusVector(), &FHandle), "commit");
    }

private:
    isc_tr_handle FHandle = 0;
};

XSQLDA* OneIntegerArea(char* area, std::int32_t* value, short* null) {
    auto* sqlda = reinterpret_cast<XSQLDA*>(area);
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = 1;
    sqlda->sqld = 1;
    sqlda->sqlvar[0].sqltype = SQL_LONG + 1;
    sqlda->sqlvar[0].sqlscale = 0;
    sqlda->sqlvar[0].sqllen = sizeof(std::int32_t);
    sqlda->sqlvar[0].sqldata = reinterpret_cast<ISC_SCHAR*>(value);
    sqlda->sqlvar[0].sqlind = null;
    return sqlda;
}

} // namespace

std::string AccessName(TAccess access) {
    return access == TAccess::Embedded ? "Embedded" : "Server";
}

TTestDatabase::TTestDatabase(TAccess access, int dialect) : FAccess(access), FDialect(dialect) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ortavo-db-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder under " + pattern);
    FFolder = pattern;
    // The server process opens the file itself, whichever user it runs as.
    std::filesystem::permissions(FFolder, std::filesystem::perms::all);
    FPath = FFolder / "test.fdb";

    const std::string sql = "CREATE DATABASE '" + AttachName() + "' USER 'SYSDBA' PASSWORD '" +
                            SysdbaPassword() + "' PAGE_SIZE 4096";
    isc_db_handle handle = 0;
    isc_tr_handle transaction = 0;
    // A CREATE DATABASE takes a name as an attach does.
    const TUtf8NameScope utf8Names;
    if (Client().isc_dsql_execute_immediate(ThreadStatusVector(), &handle, &transaction, 0,
                                            sql.c_str(), static_cast<unsigned short>(dialect),
                                            nullptr) > 0) {
        // Removing the folder makes no client call, so the status vector still holds the
        // server's report for Fail.
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
        Fail("create the test database " + AttachName());
    }
    FCreated = true;
    Client().isc_detach_database(ThreadStatusVector(), &handle);
}

TTestDatabase::~TTestDatabase() {
    try {
        if (FCreated)
            TRawAttachment(AttachName()).Drop();
    } catch (...) {
        // A database still in use by a failed test cannot be dropped; removing the folder
        // below is all that is left, and a destructor must not throw.
    }
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
}

std::string TTestDatabase::AttachName() const {
    return FAccess == TAccess::Server ? "localhost:" + FPath.string() : FPath.string();
}

String TTestDatabase::Name() const {
    return FromUtf8(AttachName());
}

String TTestDatabase::MissingName() const {
    const std::string missing = (FFolder / "missing.fdb").string();
    return FromUtf8(FAccess == TAccess::Server ? "localhost:" + missing : missing);
}

void TTestDatabase::Configure(TIBDatabase& database) const {
    database.SetDatabaseName(Name());
    database.Params().Clear();
    database.Params().Add(u"user_name=SYSDBA");
    database.Params().Add(u"password=" + FromUtf8(SysdbaPassword()));
    database.SetLoginPrompt(false);
    database.SetServerType(u"IBServer");
}

void TTestDatabase::Execute(const std::string& sql, int lockTimeout) const {
    TRawAttachment attachment(AttachName());
    TRawTransaction transaction(attachment.Handle(), lockTimeout);
    Check(Client().isc_dsql_execute_immediate(ThreadStatusVector(), attachment.Handle(),
                                              transaction.Handle(), 0, sql.c_str(),
                                              static_cast<unsigned short>(FDialect), nullptr),
          "execute " + sql);
    transaction.Commit();
}

std::optional<std::int32_t> TTestDatabase::QueryInt(const std::string& sql) const {
    TRawAttachment attachment(AttachName());
    TRawTransaction transaction(attachment.Handle());
    alignas(XSQLDA) char area[XSQLDA_LENGTH(1)] = {};
    std::int32_t value = 0;
    short null = 0;
    XSQLDA* out = OneIntegerArea(area, &value, &null);
    Check(Client().isc_dsql_exec_immed2(ThreadStatusVector(), attachment.Handle(),
                                        transaction.Handle(), 0, sql.c_str(),
                                        static_cast<unsigned short>(FDialect), nullptr, out),
          "query " + sql);
    if (null)
        return std::nullopt;
    return value;
}

void TTestDatabase::KillOtherAttachments() const {
    // Through the same access as the components: an embedded engine holds the file to
    // itself, so its attachments can only be reached from inside the process.
    Execute("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
            "AND MON$SYSTEM_FLAG = 0");
}

TRawCursor::TRawCursor(TIBDatabase& database, TIBTransaction& transaction,
                       const std::string& select)
    : FDatabase(database) {
    IGDSLibrary& client = Client();
    Check(
        client.isc_dsql_alloc_statement2(ThreadStatusVector(), database.HandleAddress(), &FHandle),
        "allocate a statement");
    OneIntegerArea(FArea, &FValue, &FNull);
    const auto dialect = static_cast<unsigned short>(database.SQLDialect());
    Check(client.isc_dsql_prepare(ThreadStatusVector(), transaction.HandleAddress(), &FHandle, 0,
                                  select.c_str(), dialect, nullptr),
          "prepare " + select);
    Check(client.isc_dsql_execute(ThreadStatusVector(), transaction.HandleAddress(), &FHandle,
                                  dialect, nullptr),
          "open " + select);
}

TRawCursor::~TRawCursor() {
    try {
        if (FHandle)
            Client().isc_dsql_free_statement(ThreadStatusVector(), &FHandle, DSQL_drop);
    } catch (...) {
        // The statement dies with its attachment anyway; a destructor must not throw.
    }
}

std::optional<std::int32_t> TRawCursor::Fetch() {
    const ISC_STATUS status = Client().isc_dsql_fetch(
        ThreadStatusVector(), &FHandle, static_cast<unsigned short>(FDatabase.SQLDialect()),
        reinterpret_cast<XSQLDA*>(FArea));
    if (status == 100)
        return std::nullopt;
    if (status > 0)
        RaiseDatabaseError(&Client());
    if (FNull)
        return std::nullopt;
    return FValue;
}

void ExecuteIn(TIBDatabase& database, TIBTransaction& transaction, const std::string& sql) {
    const ISC_STATUS status = Client().isc_dsql_execute_immediate(
        ThreadStatusVector(), database.HandleAddress(), transaction.HandleAddress(), 0, sql.c_str(),
        static_cast<unsigned short>(database.SQLDialect()), nullptr);
    // Checked as the components check their own calls, so a lost connection closes it.
    transaction.Call(status, true);
}

void ExpectClientError(const std::function<void()>& action, int code, const char16_t* text) {
    try {
        action();
        ADD_FAILURE() << "expected client error " << code;
    } catch (const EIBClientError& error) {
        EXPECT_EQ(error.SQLCode(), code);
        EXPECT_EQ(ToUtf8(error.Message()), ToUtf8(text));
    }
}

struct TManualTimers::TTimer : ITimerHandle {
    TTimer(TManualTimers& owner, std::function<void()> tick)
        : Owner(owner), Tick(std::move(tick)) {}
    ~TTimer() override { std::erase(Owner.FArmed, this); }
    TManualTimers& Owner;
    std::function<void()> Tick;
};

TManualTimers::TManualTimers() {
    SetTimerService(this);
}

TManualTimers::~TManualTimers() {
    SetTimerService(nullptr);
}

std::unique_ptr<ITimerHandle> TManualTimers::Arm(unsigned, std::function<void()> tick) {
    auto timer = std::make_unique<TTimer>(*this, std::move(tick));
    FArmed.push_back(timer.get());
    return timer;
}

void TManualTimers::Tick() {
    // A tick may disarm timers (its own or others): only those still armed tick.
    const std::vector<TTimer*> armed = FArmed;
    for (TTimer* timer : armed)
        if (std::find(FArmed.begin(), FArmed.end(), timer) != FArmed.end()) {
            const std::function<void()> tick = timer->Tick;
            tick();
        }
}

std::int64_t AttachmentId(TIBDatabase& database) {
    const char item = isc_info_attachment_id;
    char reply[32] = {};
    database.Call(Client().isc_database_info(ThreadStatusVector(), database.HandleAddress(), 1,
                                             &item, sizeof reply, reply),
                  true);
    const auto length = static_cast<short>(Client().isc_vax_integer(reply + 1, 2));
    return Client().isc_vax_integer(reply + 3, length);
}

} // namespace ortavo::test
