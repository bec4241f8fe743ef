// TIBSQL: preparation, execution and the cursor of one dynamic SQL statement.
#include "IBX/statements/IBSQL.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBConnectionLoss.h"
#include "IBX/client/IBIntf.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/statements/IBSQLParamScan.h"
#include "IBX/statements/IBStatementCache.h"
#include "base/Encoding.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace ortavo {

namespace {

// Status codes the statement reacts to.
constexpr ISC_STATUS StatusCancelled = 335544794;
constexpr ISC_STATUS StatusBadStatementHandle = 335544485;
constexpr ISC_STATUS StatusStreamEOF = 335544572;
constexpr ISC_STATUS StatusCursorCloseError = 335544577;
constexpr ISC_STATUS StatusBadRequestHandle = 335544327;

bool OpensCursor(TIBSQLTypes type) {
    return type == SQLSelect || type == SQLSelectForUpdate;
}

std::string NewGuidText() {
    static std::mt19937_64 generator{std::random_device{}()};
    const std::uint64_t high = generator(), low = generator();
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>(high >> 16 & 0xFFFF),
                  static_cast<unsigned>((high & 0x0FFF) | 0x4000),
                  static_cast<unsigned>((low >> 48 & 0x3FFF) | 0x8000),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

bool HasRecord(TIBSQLTypes type) {
    return type == SQLSelect || type == SQLExecProcedure || type == SQLSelectForUpdate;
}

// Whether two descriptions give the caller the same variables: count, types, lengths and,
// for columns, names.
bool SameShape(const TIBXSQLDADescription& a, const TIBXSQLDADescription& b) {
    if (a.Vars.size() != b.Vars.size())
        return false;
    for (std::size_t i = 0; i < a.Vars.size(); ++i) {
        const XSQLVAR &x = a.Vars[i], &y = b.Vars[i];
        if (x.sqltype != y.sqltype || x.sqlscale != y.sqlscale || x.sqlsubtype != y.sqlsubtype ||
            x.sqllen != y.sqllen || x.aliasname_length != y.aliasname_length ||
            std::char_traits<char>::compare(x.aliasname, y.aliasname,
                                            static_cast<std::size_t>(x.aliasname_length)) != 0)
            return false;
    }
    return true;
}

std::int32_t ReadLittleEndian(const char* bytes, int length) {
    std::uint32_t value = 0;
    for (int i = length - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return static_cast<std::int32_t>(value);
}

} // namespace

TIBStatementHandle::~TIBStatementHandle() {
    if (*FCell && FLibrary) {
        // A destructor cannot report; the server drops the statement with its attachment.
        FLibrary->isc_dsql_free_statement(ThreadStatusVector(), FCell.get(), DSQL_drop);
    }
}

TIBSQL::TIBSQL(TComponent* owner)
    : TComponent(owner), FBase(std::make_unique<TIBBase>(this)),
      FSQLParams(std::make_unique<TIBXSQLDA>(this)), FSQLRecord(std::make_unique<TIBXSQLDA>(this)) {
    FBase->BeforeDatabaseDisconnect = [this](TIBBase&) {
        if (FHandle.Get()) {
            CloseCursor(false);
            FreeStatement(false);
        }
    };
    FBase->BeforeTransactionEnd = [this](TIBBase&) {
        if (FOpen)
            CloseCursor(false);
    };
    FSQL.OnChanging = [this](TStrings& sender) { SQLChanging(sender); };
    if (auto* database = dynamic_cast<TIBDatabase*>(owner))
        SetDatabase(database);
    else if (auto* transaction = dynamic_cast<TIBTransaction*>(owner))
        SetTransaction(transaction);
}

TIBSQL::~TIBSQL() {
    try {
        if (FOpen)
            CloseCursor(false);
        FreeStatement(false);
    } catch (...) {
        // Destruction must not fail; the server drops what is left with the attachment.
    }
}

void TIBSQL::SetDatabase(TIBDatabase* value) {
    if (value == Database())
        return;
    if (FHandle.Get()) {
        if (FOpen)
            CloseCursor(false);
        FreeStatement(false);
    }
    FBase->SetDatabase(value);
}

void TIBSQL::SetTransaction(TIBTransaction* value) {
    if (value == Transaction())
        return;
    if (FOpen)
        CloseCursor(false);
    FBase->SetTransaction(value);
}

IGDSLibrary& TIBSQL::Library() const {
    TIBDatabase* database = Database();
    if (!database)
        RaiseClientError(ibxeDatabaseNotAssigned);
    IGDSLibrary* library = database->GDSLibrary();
    if (!library)
        RaiseClientError(ibxeDatabaseClosed);
    return *library;
}

int TIBSQL::Dialect() const noexcept {
    TIBDatabase* database = Database();
    return database ? database->SQLDialect() : 3;
}

ISC_STATUS TIBSQL::Call(ISC_STATUS status, bool raiseError) {
    if (TIBTransaction* transaction = Transaction())
        return transaction->Call(status, raiseError);
    if (raiseError && status > 0)
        RaiseDatabaseError(Database() ? Database()->GDSLibrary() : nullptr);
    return status;
}

void TIBSQL::CheckClosed() const {
    if (FOpen)
        RaiseClientError(ibxeSQLOpen);
}

void TIBSQL::CheckOpen() const {
    if (!FOpen)
        RaiseClientError(ibxeSQLClosed);
}

void TIBSQL::CheckValidStatement() const {
    FBase->CheckTransaction();
    if (!FHandle.Get())
        RaiseClientError(ibxeInvalidStatementHandle);
}

void TIBSQL::TellMonitor(void (IIBSQLMonitorHook::*notify)(TIBSQL&), std::uint16_t flag) {
    TIBDatabase* database = Database();
    if (database && (database->TraceFlags() & flag))
        (MonitorHook().*notify)(*this);
}

void TIBSQL::SQLChanging(TStrings&) {
    if (OnSQLChanging)
        OnSQLChanging(*this);
    if (FHandle.Get()) {
        if (FOpen)
            CloseCursor(false);
        FreeStatement(true);
    }
}

void TIBSQL::PreprocessSQL(const String& source) {
    std::vector<String> names;
    if (!FParamCheck) {
        FShape.ProcessedSQL = source;
    } else {
        TIBParamScan scan = ScanParams(source, FGenerateParamNames);
        FShape.ProcessedSQL = std::move(scan.ProcessedSQL);
        names = std::move(scan.Names);
    }
    FSQLParams->SetCount(static_cast<int>(names.size()));
    // Kept as registered, so that a kept statement's names need no second normalizing.
    for (std::size_t i = 0; i < names.size(); ++i) {
        FSQLParams->AddName(names[i], static_cast<int>(i));
        FShape.ParamNames.push_back(FSQLParams->Names().Get(static_cast<int>(i)));
    }
    FProcessedSQL.SetText(FShape.ProcessedSQL);
}

void TIBSQL::RegisterKeptParams() {
    FSQLParams->SetCount(static_cast<int>(FShape.ParamNames.size()));
    for (std::size_t i = 0; i < FShape.ParamNames.size(); ++i)
        FSQLParams->PutName(FShape.ParamNames[i], static_cast<int>(i));
    FProcessedSQL.SetText(FShape.ProcessedSQL);
}

void TIBSQL::PrepareOnServer(IGDSLibrary& library) {
    Call(library.isc_dsql_alloc_statement2(ThreadStatusVector(), FBase->DBHandle(),
                                           FHandle.Address()),
         true);
    FHandle.SetLibrary(&library);
    Call(library.isc_dsql_prepare(ThreadStatusVector(), FBase->TRHandle(), FHandle.Address(), 0,
                                  FShape.Sent.c_str(), static_cast<unsigned short>(Dialect()),
                                  nullptr),
         true);
    ReadStatementType(library);
    FShape.Type = FSQLType;
}

void TIBSQL::ReadStatementType(IGDSLibrary& library) {
    const char request = isc_info_sql_stmt_type;
    char reply[8] = {};
    Call(library.isc_dsql_sql_info(ThreadStatusVector(), FHandle.Address(), 1, &request,
                                   sizeof reply, reply),
         true);
    if (reply[0] != isc_info_sql_stmt_type)
        RaiseClientError(ibxeUnknownError);
    int length = ReadLittleEndian(reply + 1, 2);
    if (length < 0 || length > 4)
        RaiseClientError(ibxeUnknownError);
    FSQLType = static_cast<TIBSQLTypes>(ReadLittleEndian(reply + 3, length));
}

void TIBSQL::DescribeInto(IGDSLibrary& library, TIBXSQLDA& area, bool input) {
    const auto dialect = static_cast<unsigned short>(Dialect());
    const auto describe = [&](XSQLDA* block) {
        return input ? library.isc_dsql_describe_bind(ThreadStatusVector(), FHandle.Address(),
                                                      dialect, block)
                     : library.isc_dsql_describe(ThreadStatusVector(), FHandle.Address(), dialect,
                                                 block);
    };
    if (!input)
        area.SetCount(1);
    if (XSQLDA* block = area.AsXSQLDA()) {
        Call(describe(block), true);
        if (block->sqld != block->sqln) {
            area.SetCount(block->sqld);
            if (XSQLDA* resized = area.AsXSQLDA())
                Call(describe(resized), true);
        }
    }
    area.Initialize();
}

void TIBSQL::DescribeParams(IGDSLibrary& library, bool kept) {
    if (kept) {
        FSQLParams->Restore(FShape.Params);
        return;
    }
    DescribeInto(library, *FSQLParams, true);
    FShape.Params = FSQLParams->Description();
}

void TIBSQL::DescribeRecord(IGDSLibrary& library, bool kept) {
    if (kept) {
        FSQLRecord->Restore(FShape.Record);
        return;
    }
    DescribeInto(library, *FSQLRecord, false);
    FShape.Record = FSQLRecord->Description();
}

void TIBSQL::Prepare() {
    CheckClosed();
    FBase->CheckDatabase();
    FBase->CheckTransaction();
    if (FPrepared)
        return;
    const String source = FSQL.Text();
    if (IsBlank(source))
        RaiseClientError(ibxeEmptyQuery);
    try {
        IGDSLibrary& library = Library();
        const bool kept = TakeKeptOrScan(source);
        if (kept) {
            FKept = true;
            FHandle.SetLibrary(&library);
            FSQLType = static_cast<TIBSQLTypes>(FShape.Type);
        } else {
            PrepareOnServer(library);
        }
        Describe(library, kept);
        FPrepared = true;
        TellMonitor(&IIBSQLMonitorHook::SQLPrepare, tfQPrepare);
    } catch (...) {
        if (FHandle.Get())
            FreeStatement(false);
        throw;
    }
}

bool TIBSQL::TakeKeptOrScan(const String& source) {
    TIBStatementCache* cache = TIBStatementCache::Of(*Database());
    const int dialect = Dialect();
    // A text prepared before on the connection brings back its scan and descriptions with
    // its server statement.
    if (cache &&
        cache->Take(source, FParamCheck, FGenerateParamNames, dialect, FHandle.Cell(), FShape)) {
        RegisterKeptParams();
        return true;
    }
    FShape = TIBPreparedShape{};
    PreprocessSQL(source);
    if (IsBlank(FShape.ProcessedSQL))
        RaiseClientError(ibxeEmptyQuery);
    std::string sent = Database()->Encoding().Encode(FShape.ProcessedSQL);
    const bool kept = cache && TakeSentStatement(*cache, sent, dialect);
    FShape.Source = source;
    FShape.ParamCheck = FParamCheck;
    FShape.GenerateParamNames = FGenerateParamNames;
    FShape.Dialect = dialect;
    FShape.Sent = std::move(sent);
    return kept;
}

void TIBSQL::Describe(IGDSLibrary& library, bool kept) {
    switch (FSQLType) {
    case SQLGetSegment:
    case SQLPutSegment:
    case SQLStartTransaction:
        RaiseClientError(ibxeNotPermitted);
    default:
        if (FSQLType == SQLUnknown || FSQLType > SQLSetGenerator)
            return;
        DescribeParams(library, kept);
        if (HasRecord(FSQLType))
            DescribeRecord(library, kept);
        else
            FSQLRecord->SetCount(0);
        FCursor = FSQLType == SQLSelectForUpdate ? NewGuidText() : std::string();
    }
}

bool TIBSQL::TakeSentStatement(TIBStatementCache& cache, const std::string& sent, int dialect) {
    // Another text that scans to the same bytes: the statement and its descriptions serve,
    // the scan just made stays.
    TIBPreparedShape shape;
    if (!cache.TakeSent(sent, dialect, FHandle.Cell(), shape))
        return false;
    FShape.Type = shape.Type;
    FShape.Params = std::move(shape.Params);
    FShape.Record = std::move(shape.Record);
    // The markers are this text's: their names replace the other text's.
    if (FShape.Params.Names.size() == FShape.ParamNames.size())
        FShape.Params.Names = FShape.ParamNames;
    return true;
}

void TIBSQL::PrepareAnew(IGDSLibrary& library) {
    const TIBSQLTypes type = FSQLType;
    FKept = false;
    // The server has given the statement up already; dropping it only frees the handle.
    library.isc_dsql_free_statement(ThreadStatusVector(), FHandle.Address(), DSQL_drop);
    FHandle.Reset();
    try {
        PrepareOnServer(library);
        // Described again, into areas of its own: the caller's values stay where they are,
        // and a statement that now takes or yields other variables is refused rather than
        // run with the old ones.
        TIBXSQLDA params(this), record(this);
        // At least one variable, so that a statement that now takes some is described.
        params.SetCount(std::max<int>(1, static_cast<int>(FShape.Params.Vars.size())));
        DescribeInto(library, params, true);
        if (HasRecord(FSQLType))
            DescribeInto(library, record, false);
        if (FSQLType != type || !SameShape(params.Description(), FShape.Params) ||
            !SameShape(record.Description(), FShape.Record))
            RaiseClientError(ibxeColumnListsDontMatch);
    } catch (...) {
        FPrepared = false;
        FreeStatement(false);
        throw;
    }
}

ISC_STATUS TIBSQL::Execute(IGDSLibrary& library, const std::function<ISC_STATUS()>& call) {
    const ISC_STATUS status = call();
    // A statement the server no longer has (a kept one, or a procedure's) is prepared anew
    // once and the call repeated. A change of the objects a kept statement uses is no such
    // case: Firebird runs the statement as it was prepared.
    if (status <= 0 || !(FKept || FSQLType == SQLExecProcedure) ||
        !StatusVectorHas({StatusBadStatementHandle, StatusBadRequestHandle}))
        return status;
    PrepareAnew(library);
    return call();
}

void TIBSQL::RaiseExecuteError(ISC_STATUS status) {
    if (StatusVectorHas({StatusCancelled}))
        FCanceled = true;
    Call(status, true);
}

void TIBSQL::ExecuteProcedure(IGDSLibrary& library) {
    const auto dialect = static_cast<unsigned short>(Dialect());
    const ISC_STATUS status = Execute(library, [&] {
        return library.isc_dsql_execute2(ThreadStatusVector(), FBase->TRHandle(), FHandle.Address(),
                                         dialect, FSQLParams->AsXSQLDA(), FSQLRecord->AsXSQLDA());
    });
    if (status > 0)
        RaiseExecuteError(status);
}

void TIBSQL::ExecQuery() {
    CheckClosed();
    if (!FPrepared)
        Prepare();
    CheckValidStatement();
    TellMonitor(&IIBSQLMonitorHook::SQLExecute, tfQExecute);
    FCanceled = false;
    IGDSLibrary& library = Library();
    const auto dialect = static_cast<unsigned short>(Dialect());
    if (OpensCursor(FSQLType)) {
        const ISC_STATUS status = Execute(library, [&] {
            return library.isc_dsql_execute2(ThreadStatusVector(), FBase->TRHandle(),
                                             FHandle.Address(), dialect, FSQLParams->AsXSQLDA(),
                                             nullptr);
        });
        if (status > 0)
            RaiseExecuteError(status);
        FOpen = true;
        FBOF = true;
        FEOF = false;
        FRecordCount = 0;
        if (FGoToFirstRecordOnExecute)
            Next();
    } else if (FSQLType == SQLExecProcedure) {
        ExecuteProcedure(library);
    } else {
        const ISC_STATUS status = Execute(library, [&] {
            return library.isc_dsql_execute(ThreadStatusVector(), FBase->TRHandle(),
                                            FHandle.Address(), dialect, FSQLParams->AsXSQLDA());
        });
        if (status > 0)
            RaiseExecuteError(status);
    }
}

TIBXSQLDA* TIBSQL::Next() {
    if (FEOF)
        return nullptr;
    CheckOpen();
    IGDSLibrary& library = Library();
    const ISC_STATUS status =
        library.isc_dsql_fetch(ThreadStatusVector(), FHandle.Address(),
                               static_cast<unsigned short>(Dialect()), FSQLRecord->AsXSQLDA());
    if (status == 100 || (status > 0 && StatusVectorHas({StatusStreamEOF}))) {
        FEOF = true;
        return nullptr;
    }
    if (status > 0) {
        try {
            Call(status, true);
        } catch (...) {
            CloseCursor(false);
            throw;
        }
    }
    ++FRecordCount;
    FBOF = false;
    TellMonitor(&IIBSQLMonitorHook::SQLFetch, tfQFetch);
    return FSQLRecord.get();
}

void TIBSQL::CloseCursor(bool raiseError) {
    struct ResetCursor {
        TIBSQL& sql;
        ~ResetCursor() {
            sql.FEOF = false;
            sql.FBOF = false;
            sql.FOpen = false;
            sql.FRecordCount = 0;
        }
    } reset{*this};
    TIBDatabase* database = Database();
    if (!FHandle.Get() || !OpensCursor(FSQLType) || !FOpen || !database || !database->Connected())
        return;
    const ISC_STATUS status = database->GDSLibrary()->isc_dsql_free_statement(
        ThreadStatusVector(), FHandle.Address(), DSQL_close);
    if (status > 0 && !StatusVectorHas({StatusCursorCloseError}))
        FCursorInDoubt = true;
    if (status <= 0 || !raiseError ||
        StatusVectorHas({StatusBadStatementHandle, StatusCursorCloseError}))
        return;
    if (StatusVectorHas({isc_lost_db_connection_code}))
        database->Call(status, true);
    else
        RaiseDatabaseError(database->GDSLibrary());
}

void TIBSQL::Close() {
    CloseCursor(true);
}

void TIBSQL::FreeStatement(bool raiseError) {
    struct ResetHandle {
        TIBSQL& sql;
        ~ResetHandle() {
            sql.FPrepared = false;
            sql.FHandle.Reset();
            // Dropping the statement closes its cursor on the server too.
            sql.FOpen = sql.FEOF = sql.FBOF = false;
            sql.FRecordCount = 0;
            sql.FKept = sql.FCursorInDoubt = false;
        }
    } reset{*this};
    TIBDatabase* database = Database();
    if (!FHandle.Get() || !database || !database->Connected())
        return;
    // A prepared statement with no cursor open stays with the connection for the next
    // statement of the same text; one that failed to prepare is never kept.
    if (FPrepared && !FOpen && !FCursorInDoubt)
        if (TIBStatementCache* cache = TIBStatementCache::Of(*database)) {
            cache->Keep(FHandle.Cell(), std::move(FShape));
            FShape = {};
            return;
        }
    IGDSLibrary* library = database->GDSLibrary();
    const ISC_STATUS status =
        library->isc_dsql_free_statement(ThreadStatusVector(), FHandle.Address(), DSQL_drop);
    if (status > 0 && raiseError &&
        !StatusVectorHas({StatusBadStatementHandle, isc_lost_db_connection_code}))
        RaiseDatabaseError(library);
}

void TIBSQL::FreeHandle() {
    FreeStatement(true);
}

TIBXSQLDA* TIBSQL::Params() {
    TIBTransaction* transaction = Transaction();
    if (!transaction)
        RaiseClientError(ibxeTransactionNotAssigned);
    const bool started = !transaction->InTransaction();
    if (started)
        transaction->StartTransaction();
    try {
        if (!FPrepared)
            Prepare();
    } catch (...) {
        if (started && transaction->InTransaction())
            transaction->Rollback();
        throw;
    }
    if (started)
        transaction->Commit();
    return FSQLParams.get();
}

TIBXSQLVAR* TIBSQL::FieldByName(StringView name) const {
    TIBXSQLVAR* var = FSQLRecord->ByName(name);
    if (!var)
        RaiseClientError(ibxeFieldNotFound, {String(name)});
    return var;
}

TIBXSQLVAR* TIBSQL::Fields(int index) const {
    return FSQLRecord->Vars(index);
}

int TIBSQL::FieldIndex(StringView name) const {
    return FSQLRecord->IndexOfName(name);
}

TIBXSQLVAR* TIBSQL::ParamByName(StringView name) {
    if (!FPrepared)
        Prepare();
    return FSQLParams->ByName(name);
}

std::int32_t TIBSQL::RowsAffected() {
    if (!FPrepared)
        return -1;
    // Only inserts, updates and deletes have a count; asking the server for another type
    // costs a round trip for an answer that is -1 anyway.
    if (FSQLType != SQLInsert && FSQLType != SQLUpdate && FSQLType != SQLDelete)
        return -1;
    const char request = isc_info_sql_records;
    char reply[1049] = {};
    Call(Library().isc_dsql_sql_info(ThreadStatusVector(), FHandle.Address(), 1, &request,
                                     sizeof reply, reply),
         true);
    if (reply[0] != isc_info_sql_records)
        return -1;
    switch (FSQLType) {
    case SQLInsert:
        return ReadLittleEndian(reply + 27, 4);
    case SQLUpdate:
        return ReadLittleEndian(reply + 6, 4);
    case SQLDelete:
        return ReadLittleEndian(reply + 13, 4);
    default:
        return -1;
    }
}

} // namespace ortavo
