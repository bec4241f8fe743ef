// TIBSQL: one dynamic SQL statement on the server: its parameter markers, preparation,
// execution and cursor.
#pragma once

#include "IBX/client/IBSQLMonitorHook.h"
#include "IBX/connection/IBBase.h"
#include "IBX/statements/IBStatementCache.h"
#include "IBX/statements/IBXSQLDA.h"
#include "base/Component.h"
#include "base/StringList.h"

#include <ibase.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ortavo {

class IGDSLibrary;
class TIBDatabase;
class TIBTransaction;

// The ordinal is the server's statement-type code.
enum TIBSQLTypes {
    SQLUnknown,
    SQLSelect,
    SQLInsert,
    SQLUpdate,
    SQLDelete,
    SQLDDL,
    SQLGetSegment,
    SQLPutSegment,
    SQLExecProcedure,
    SQLStartTransaction,
    SQLCommit,
    SQLRollback,
    SQLSelectForUpdate,
    SQLSetGenerator
};

// The server statement handle, dropped when the owner goes. Dropping an owned handle
// explicitly goes through TIBSQL::FreeHandle, which decides what to raise. The handle sits
// in a cell of its own, which travels with it to and from the connection's kept statements.
class TIBStatementHandle {
public:
    TIBStatementHandle() : FCell(std::make_unique<isc_stmt_handle>(0)) {}
    ~TIBStatementHandle();
    TIBStatementHandle(const TIBStatementHandle&) = delete;
    TIBStatementHandle& operator=(const TIBStatementHandle&) = delete;

    isc_stmt_handle Get() const noexcept { return *FCell; }
    isc_stmt_handle* Address() noexcept { return FCell.get(); }
    // The library that allocated the handle; it drops it.
    void SetLibrary(IGDSLibrary* library) noexcept { FLibrary = library; }
    IGDSLibrary* Library() const noexcept { return FLibrary; }
    // Forgets the handle without dropping it.
    void Reset() noexcept { *FCell = 0; }
    TIBStatementCell& Cell() noexcept { return FCell; }

private:
    TIBStatementCell FCell;
    IGDSLibrary* FLibrary = nullptr;
};

// Ownership: the statement owns its link, its text lists and both descriptor areas. Its
// database and transaction are referred to through the link and may go first: the
// database's disconnect frees the handle, a transaction's end closes the cursor.
class TIBSQL : public TComponent {
public:
    using TNotifyEvent = std::function<void(TIBSQL& sender)>;

    // With a TIBDatabase or TIBTransaction as owner, that one becomes the statement's.
    explicit TIBSQL(TComponent* owner = nullptr);
    // Closes an open cursor and frees the handle; failures are dropped.
    ~TIBSQL() override;

    void Prepare();
    void ExecQuery();
    // The output area holding the next row, or null past the last one.
    TIBXSQLDA* Next();
    void Close();
    void FreeHandle();

    // The input area, preparing first if needed (inside a transaction of its own when
    // none is active).
    TIBXSQLDA* Params();
    TIBXSQLDA* Current() noexcept { return FSQLRecord.get(); }
    // Lookups in the output area, names without regard to case. FieldByName raises
    // "Field "%s" not found" for a name no column bears; FieldIndex gives -1.
    TIBXSQLVAR* FieldByName(StringView name) const;
    TIBXSQLVAR* Fields(int index) const;
    int FieldIndex(StringView name) const;
    // Lookup in the input area, preparing first if needed; null when absent.
    TIBXSQLVAR* ParamByName(StringView name);

    bool Eof() const noexcept { return FEOF; }
    bool Bof() const noexcept { return FBOF; }
    bool Open() const noexcept { return FOpen; }
    bool Prepared() const noexcept { return FPrepared; }
    int RecordCount() const noexcept { return FRecordCount; }
    TIBSQLTypes SQLType() const noexcept { return FSQLType; }
    isc_stmt_handle Handle() const noexcept { return FHandle.Get(); }
    // Rows of the last insert, update or delete; -1 for other statements or unprepared.
    std::int32_t RowsAffected();
    bool Canceled() const noexcept { return FCanceled; }
    // The text as sent to the server, markers replaced by "?".
    const TStrings& ProcessedSQL() const noexcept { return FProcessedSQL; }
    const std::string& Cursor() const noexcept { return FCursor; }

    TIBDatabase* Database() const noexcept { return FBase->Database(); }
    void SetDatabase(TIBDatabase* value);
    TIBTransaction* Transaction() const noexcept { return FBase->Transaction(); }
    void SetTransaction(TIBTransaction* value);
    TIBBase& Base() noexcept { return *FBase; }
    TStrings& SQL() noexcept { return FSQL; }
    void SetSQL(const TStrings& value) { FSQL.Assign(value); }
    bool ParamCheck() const noexcept { return FParamCheck; }
    void SetParamCheck(bool value) noexcept { FParamCheck = value; }
    bool GenerateParamNames() const noexcept { return FGenerateParamNames; }
    void SetGenerateParamNames(bool value) noexcept { FGenerateParamNames = value; }
    bool GoToFirstRecordOnExecute() const noexcept { return FGoToFirstRecordOnExecute; }
    void SetGoToFirstRecordOnExecute(bool value) noexcept { FGoToFirstRecordOnExecute = value; }

    // Fired before a change of SQL, which then frees the handle.
    TNotifyEvent OnSQLChanging;

    // The statement's checked client call: through its transaction's Call when it has one.
    ISC_STATUS Call(ISC_STATUS status, bool raiseError);
    void CheckClosed() const;
    void CheckOpen() const;
    void CheckValidStatement() const;
    // The client library of the statement's database.
    IGDSLibrary& Library() const;
    // The connection's dialect (3 without a database).
    int Dialect() const noexcept;

private:
    // Scans the text for parameter markers, registers them and notes both in the shape.
    void PreprocessSQL(const String& source);
    // Registers the parameters and the processed text a kept statement's shape holds.
    void RegisterKeptParams();
    // Takes the connection's kept statement for the text (true), or scans the text and
    // takes a kept statement sent as the same bytes if there is one.
    bool TakeKeptOrScan(const String& source);
    // Allocates a server statement, prepares the shape's bytes and reads its type.
    void PrepareOnServer(IGDSLibrary& library);
    void ReadStatementType(IGDSLibrary& library);
    // Both areas, for the types that have them; refuses the types a statement cannot run.
    void Describe(IGDSLibrary& library, bool kept);
    // The input (or output) variables as the server describes them, into area.
    void DescribeInto(IGDSLibrary& library, TIBXSQLDA& area, bool input);
    // From the server, or (kept) from the descriptions kept with the statement.
    void DescribeParams(IGDSLibrary& library, bool kept);
    void DescribeRecord(IGDSLibrary& library, bool kept);
    void CloseCursor(bool raiseError);
    void FreeStatement(bool raiseError);
    // Takes the connection's kept server statement prepared from these bytes, if any.
    bool TakeSentStatement(TIBStatementCache& cache, const std::string& sent, int dialect);
    // One execution call; a statement the server no longer has is prepared anew once and
    // the call repeated.
    ISC_STATUS Execute(IGDSLibrary& library, const std::function<ISC_STATUS()>& call);
    // Prepares the same bytes on a fresh server statement; raises when it no longer has the
    // variables the caller bound.
    void PrepareAnew(IGDSLibrary& library);
    void ExecuteProcedure(IGDSLibrary& library);
    void RaiseExecuteError(ISC_STATUS status);
    void SQLChanging(TStrings& sender);
    void TellMonitor(void (IIBSQLMonitorHook::*notify)(TIBSQL&), std::uint16_t flag);

    bool FCanceled = false;
    std::unique_ptr<TIBBase> FBase;
    bool FBOF = false;
    bool FEOF = false;
    bool FGoToFirstRecordOnExecute = true;
    bool FOpen = false;
    bool FPrepared = false;
    int FRecordCount = 0;
    std::string FCursor;
    TIBStatementHandle FHandle;
    TStringList FSQL;
    bool FParamCheck = true;
    TStringList FProcessedSQL;
    std::unique_ptr<TIBXSQLDA> FSQLParams;
    std::unique_ptr<TIBXSQLDA> FSQLRecord;
    TIBSQLTypes FSQLType = SQLUnknown;
    bool FGenerateParamNames = false;
    // What preparing yielded: the key under which the connection keeps the server statement
    // afterwards, and what comes back with it.
    TIBPreparedShape FShape;
    // The server statement came from the connection's kept ones.
    bool FKept = false;
    // Closing the cursor failed, so the server statement may still have it open and must
    // not be kept for another text.
    bool FCursorInDoubt = false;
};

} // namespace ortavo
