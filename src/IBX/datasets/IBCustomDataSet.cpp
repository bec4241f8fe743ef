// The select dataset: statements and link, preparing, opening and fetching into the
// record cache, the record layout and the reading of field values.
#include "IBX/datasets/IBCustomDataSet.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBIntf.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBFields.h"
#include "IBX/datasets/IBRecordLayout.h"
#include "IBX/datasets/IBSchema.h"
#include "IBX/statements/IBSQL.h"
#include "base/Encoding.h"
#include "data/Bcd.h"

#include <algorithm>
#include <cstring>

namespace ortavo {

namespace {

const String DbKeyAlias = u"IBX_INTERNAL_DBKEY";

// Datasets are what ask the connection about computed and defaulted columns, so the schema
// cache that answers comes with them: wherever a dataset is linked in, it is installed
// before any connection is made.
[[maybe_unused]] const bool SchemaCacheInstalled = (TSchema::Install(), true);

// Day 1 is 1 January of year 1; the server counts days from 17 November 1858.
constexpr std::int32_t ServerDateDelta = 678576;
constexpr double MSecsPerDay = 86400000.0;

bool IsText(int sqlType) {
    return sqlType == SQL_TEXT || sqlType == SQL_VARYING;
}

// Text of character set OCTETS holds bytes, not characters: GUIDs and the like.
bool IsOctets(const TSQLVAR& var) {
    return IsText(var.SqlDef()) && (var.SqlSubtype() & 0xFF) == 1;
}

bool IsBlobType(int sqlType) {
    return sqlType == SQL_BLOB;
}

// Bytes a text column's value takes in a record, from the bytes the server sends for it
// (length). OCTETS keep their bytes. A decoding yields no more UTF-16 units than the bytes
// it reads, and through a character set whose values the server counts in characters, no
// more than two units (a surrogate pair) per declared character: 4 bytes per character
// where UTF8 sends 4. UNICODE_FSS values are counted in bytes (a VARCHAR(5) holds 15
// letters), so they keep a unit per byte.
int TextStorageSize(int length, const TIBXSQLVAR& column, bool octets) {
    if (octets)
        return length;
    constexpr int UnicodeFssBytes = 3;
    const int characters = column.DeclaredChars();
    const bool countsCharacters = characters > 0 && column.CharSize() != UnicodeFssBytes;
    return 2 * (countsCharacters ? std::min(length, 2 * characters) : length);
}

// The precision of a scaled column: the described one, or all the digits its integer type
// holds when the descriptor carries none; one more when it equals the decimals.
int ScaledPrecision(const TSQLVAR& var) {
    int precision = var.SqlPrecision();
    if (precision == 0)
        precision = var.SqlDef() == SQL_SHORT ? 4 : var.SqlDef() == SQL_LONG ? 9 : 18;
    if (precision == -var.SqlScale())
        ++precision;
    return precision;
}

std::int64_t ScaledValue(const TSQLVAR& var) {
    switch (var.SqlDef()) {
    case SQL_SHORT:
        return record::Get<std::int16_t>(reinterpret_cast<const std::byte*>(var.SqlData()), 0);
    case SQL_LONG:
        return record::Get<std::int32_t>(reinterpret_cast<const std::byte*>(var.SqlData()), 0);
    default:
        return record::Get<std::int64_t>(reinterpret_cast<const std::byte*>(var.SqlData()), 0);
    }
}

// A dataset that fetches rows only moving forward keeps two of them.
constexpr int UniDirectionalRows = 2;

} // namespace

enum class TColumnKind : std::uint8_t {
    Fixed,
    Varying,
    Double,
    Float,
    Integer,
    Scaled,
    ScaledDouble,
    ScaledBcd,
    Int64,
    Timestamp,
    Date,
    Time,
    Raw,
    DbKey
};

struct TIBCustomDataSet::TColumnLayout {
    TColumnKind Kind = TColumnKind::Raw;
    int SqlType = 0;
    int Scale = 0;
    bool Nullable = false;
    bool FromTable = false;
    int Length = 0;
    int CharSize = 1;
    // Characters a fixed text declares (TIBXSQLVAR::DeclaredChars).
    int DeclaredChars = 0;
    // Stored as the bytes the server sent, not decoded.
    bool Octets = false;
    int DataSize = 0;
    int DataOffset = 0;
};

TIBCustomDataSet::TIBCustomDataSet(TComponent* owner)
    : TDataSet(owner), FBase(std::make_unique<TIBBase>(this)), FQDelete(std::make_unique<TIBSQL>()),
      FQInsert(std::make_unique<TIBSQL>()), FQRefresh(std::make_unique<TIBSQL>()),
      FQSelect(std::make_unique<TIBSQL>()), FQModify(std::make_unique<TIBSQL>()) {
    FBase->BeforeDatabaseDisconnect = [this](TIBBase&) { BeforeDisconnect(); };
    FBase->BeforeTransactionEnd = [this](TIBBase&) { BeforeTransactionEnd(); };
    for (TIBSQL* statement :
         {FQDelete.get(), FQInsert.get(), FQRefresh.get(), FQSelect.get(), FQModify.get()})
        LinkStatement(*statement);
}

TIBCustomDataSet::~TIBCustomDataSet() {
    try {
        Close();
    } catch (...) {
        // A dataset going away closes what it can; there is no one left to tell.
    }
    try {
        // The statements go before the link, while the dataset is still itself.
        FQSelect->OnSQLChanging = nullptr;
        SetTransaction(nullptr);
        SetDatabase(nullptr);
    } catch (...) {
        // Leaving the lists of the connection and transaction raises nothing in practice.
    }
}

void TIBCustomDataSet::LinkStatement(TIBSQL& statement) {
    statement.SetGoToFirstRecordOnExecute(false);
    statement.OnSQLChanging = [this](TIBSQL& sender) { StatementTextChanging(sender); };
}

TIBDatabase* TIBCustomDataSet::Database() const noexcept {
    return FBase->Database();
}

TIBTransaction* TIBCustomDataSet::Transaction() const noexcept {
    return FBase->Transaction();
}

void TIBCustomDataSet::SetDatabase(TIBDatabase* value) {
    if (FBase->Database() == value)
        return;
    CheckInactive();
    if (FInternalPrepared)
        UnprepareStatements();
    FBase->SetDatabase(value);
    for (TIBSQL* statement :
         {FQDelete.get(), FQInsert.get(), FQRefresh.get(), FQSelect.get(), FQModify.get()})
        statement->SetDatabase(value);
}

void TIBCustomDataSet::SetTransaction(TIBTransaction* value) {
    if (FBase->Transaction() == value)
        return;
    CheckInactive();
    FBase->SetTransaction(value);
    for (TIBSQL* statement :
         {FQDelete.get(), FQInsert.get(), FQRefresh.get(), FQSelect.get(), FQModify.get()})
        statement->SetTransaction(value);
}

void TIBCustomDataSet::SetCachedUpdates(bool value) {
    if (value && !FCachedUpdates && Active())
        RaiseClientError(ibxeDatasetOpen);
    FCachedUpdates = value;
}

void TIBCustomDataSet::SetUniDirectional(bool value) {
    if (value && !UniDirectional() && Active())
        RaiseClientError(ibxeDatasetOpen);
    TDataSet::SetUniDirectional(value);
}

void TIBCustomDataSet::BeforeDisconnect() {
    Close();
    if (FInternalPrepared)
        UnprepareStatements();
}

void TIBCustomDataSet::BeforeTransactionEnd() {
    Close();
}

void TIBCustomDataSet::ConnectChangeEvent(bool connecting) {
    if (!connecting)
        Close();
}

void TIBCustomDataSet::EnsureConnected() {
    TIBDatabase* database = Database();
    if (!database)
        RaiseClientError(ibxeDatabaseNotAssigned);
    if (!Transaction())
        RaiseClientError(ibxeTransactionNotAssigned);
    if (!database->Connected())
        database->Open();
}

bool TIBCustomDataSet::EnsureTransaction() {
    TIBTransaction* transaction = Transaction();
    if (!transaction)
        RaiseClientError(ibxeTransactionNotAssigned);
    if (transaction->InTransaction())
        return false;
    transaction->AutoStartTransaction();
    return true;
}

void TIBCustomDataSet::ReleaseTransaction() {
    if (TIBTransaction* transaction = Transaction())
        transaction->CheckAutoStop();
}

void TIBCustomDataSet::PrepareStatements() {
    if (FInternalPrepared)
        return;
    if (FQSelect->SQL().IsBlank())
        RaiseClientError(ibxeEmptySQLStatement);
    EnsureConnected();
    const bool started = EnsureTransaction();
    try {
        FBase->CheckDatabase();
        FBase->CheckTransaction();
        if (FQSelect->SQL().Count() == 0)
            RaiseClientError(ibxeEmptyQuery);
        if (!FQSelect->Prepared()) {
            FQSelect->SetParamCheck(FParamCheck);
            FQSelect->Prepare();
        }
        FLiveMode = 0;
        const std::pair<TIBSQL*, TLiveMode> modes[] = {{FQDelete.get(), lmDelete},
                                                       {FQInsert.get(), lmInsert},
                                                       {FQModify.get(), lmModify},
                                                       {FQRefresh.get(), lmRefresh}};
        for (auto [statement, mode] : modes) {
            if (statement->SQL().IsBlank())
                continue;
            if (!statement->Prepared())
                statement->Prepare();
            FLiveMode |= mode;
        }
        FInternalPrepared = true;
        BuildFieldDefs();
    } catch (...) {
        if (started)
            ReleaseTransaction();
        throw;
    }
    if (started)
        ReleaseTransaction();
}

void TIBCustomDataSet::UnprepareStatements() {
    if (!FInternalPrepared)
        return;
    CheckInactive();
    FieldDefs().Clear();
    FInternalPrepared = false;
    FLiveMode = 0;
}

void TIBCustomDataSet::StatementTextChanging(TIBSQL& statement) {
    Close();
    if (FInternalPrepared)
        UnprepareStatements();
    if (&statement == FQSelect.get())
        FieldDefs().Clear();
}

void TIBCustomDataSet::BuildFieldDefs() {
    if (!FInternalPrepared) {
        // Preparing builds them.
        PrepareStatements();
        return;
    }
    TFieldDefs& defs = FieldDefs();
    defs.Clear();
    FForcedRefresh = false;
    TIBXSQLDA* columns = FQSelect->Current();
    if (!columns)
        return;
    TIBDatabase* database = Database();
    const int dialect = database ? database->SQLDialect() : 3;
    for (int i = 0; i < columns->Count(); ++i) {
        TIBXSQLVAR& column = *columns->Vars(i);
        const TSQLVAR& var = column.Data();
        if (var.AliasName() == DbKeyAlias)
            continue;
        TFieldDef def;
        def.Name = column.Name();
        def.FieldNo = i + 1;
        const int type = var.SqlDef();
        const int scale = var.SqlScale();
        const String relation = var.RelName();
        const String origin = var.SqlName();
        const bool fromTable = !relation.empty();
        switch (type) {
        case SQL_TEXT:
        case SQL_VARYING:
            // No decoding yields more UTF-16 units than the bytes it reads: room for every
            // byte is room for any value.
            def.Size = var.SqlLen();
            if (IsOctets(var)) {
                def.DataType = type == SQL_TEXT ? ftBytes : ftVarBytes;
                break;
            }
            def.DataType = ftWideString;
            def.FixedChar = type == SQL_TEXT;
            break;
        case SQL_DOUBLE:
        case SQL_FLOAT:
        case SQL_D_FLOAT:
            def.DataType = ftFloat;
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (scale == 0) {
                def.DataType = type == SQL_SHORT  ? ftSmallint
                               : type == SQL_LONG ? ftInteger
                                                  : ftLargeint;
            } else if (scale >= -4 || type == SQL_SHORT) {
                def.DataType = ftBCD;
                def.Size = -scale;
                def.Precision = ScaledPrecision(var);
            } else if ((type == SQL_LONG && dialect == 1) ||
                       dynamic_cast<TFloatField*>(FindField(def.Name))) {
                def.DataType = ftFloat;
            } else {
                def.DataType = ftFMTBcd;
                def.Size = -scale;
                def.Precision = ScaledPrecision(var);
            }
            break;
        case SQL_TIMESTAMP:
            def.DataType = ftDateTime;
            break;
        case SQL_TYPE_DATE:
            def.DataType = ftDate;
            break;
        case SQL_TYPE_TIME:
            def.DataType = ftTime;
            break;
        case SQL_BLOB:
            def.DataType = var.SqlSubtype() == 1 ? ftWideMemo : ftBlob;
            def.Size = 8;
            break;
        case SQL_BOOLEAN:
            def.DataType = ftBoolean;
            break;
        default:
            continue;
        }
        def.Required = !column.IsNullable() && fromTable;
        if (!origin.empty() && fromTable && database) {
            if (database->Has_COMPUTED_BLR(relation, origin)) {
                def.ReadOnly = true;
                def.InternalCalcField = true;
                FForcedRefresh = true;
            }
            if (database->Has_DEFAULT_VALUE(relation, origin)) {
                def.Required = false;
                FForcedRefresh = true;
            }
        } else if (!origin.empty() && !fromTable) {
            def.ReadOnly = true;
        }
        defs.Add(std::move(def));
    }
}

std::unique_ptr<TField> TIBCustomDataSet::NewField(TFieldType type) const {
    return NewIBFieldOfType(type);
}

void TIBCustomDataSet::InternalOpen() {
    OpenResultSet();
}

void TIBCustomDataSet::OpenResultSet() {
    EnsureConnected();
    EnsureTransaction();
    if (FQSelect->SQL().Count() == 0)
        RaiseClientError(ibxeEmptyQuery);
    if (!FInternalPrepared)
        PrepareStatements();
    // A select that locks its rows (FOR UPDATE, WITH LOCK) reads like any other.
    if (FQSelect->SQLType() == SQLSelect || FQSelect->SQLType() == SQLSelectForUpdate) {
        CreateFields();
        FCurrentRecord = -1;
        FQSelect->ExecQuery();
        FOpen = FQSelect->Open();
        BuildModelRecord();
        AllocateCaches();
    } else {
        FQSelect->ExecQuery();
    }
    SetRowsAffected(FQSelect->RowsAffected());
}

int TIBCustomDataSet::RowsAffected() {
    if (FRowsAffectedUnread)
        SetRowsAffected(FQSelect->RowsAffected());
    return FRowsAffected;
}

void TIBCustomDataSet::InternalClose() {
    // Everything is let go even when handing the transaction back fails.
    struct TRelease {
        TIBCustomDataSet& Owner;
        ~TRelease() {
            Owner.FreeCaches();
            Owner.FCurrentRecord = -1;
            Owner.FOpen = false;
            Owner.FRecordCount = 0;
            Owner.FDeletedRecords = 0;
            Owner.DestroyFields();
        }
    } release{*this};
    CloseResultSet();
}

void TIBCustomDataSet::CloseResultSet() {
    ReleaseTransaction();
    FQSelect->Close();
}

void TIBCustomDataSet::BuildModelRecord() {
    TIBXSQLDA& row = *FQSelect->Current();
    const int count = row.Count();
    FColumns.assign(static_cast<std::size_t>(count), TColumnLayout());
    FRecordSize = record::HeaderSize + record::ColumnSize * count;
    int blobColumns = 0;
    for (int i = 0; i < count; ++i) {
        TIBXSQLVAR& column = *row.Vars(i);
        const TSQLVAR& var = column.Data();
        TColumnLayout& layout = FColumns[static_cast<std::size_t>(i)];
        layout.SqlType = var.SqlDef();
        layout.Scale = var.SqlScale();
        layout.Nullable = column.IsNullable();
        layout.FromTable = !var.RelName().empty();
        layout.Length = var.SqlLen();
        layout.CharSize = IsText(layout.SqlType) ? column.CharSize() : 1;
        switch (layout.SqlType) {
        case SQL_TEXT:
        case SQL_VARYING:
            layout.Kind = layout.SqlType == SQL_TEXT ? TColumnKind::Fixed : TColumnKind::Varying;
            layout.DeclaredChars = column.DeclaredChars();
            layout.Octets = IsOctets(var);
            layout.DataSize = TextStorageSize(layout.Length, column, layout.Octets);
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            layout.Kind = TColumnKind::Double;
            layout.DataSize = 8;
            break;
        case SQL_FLOAT:
            layout.Kind = TColumnKind::Float;
            layout.DataSize = 8;
            break;
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (layout.Scale == 0 && layout.SqlType != SQL_INT64) {
                layout.Kind = TColumnKind::Integer;
                layout.DataSize = 4;
            } else if (layout.Scale == 0) {
                layout.Kind = TColumnKind::Int64;
                layout.DataSize = 8;
            } else if (layout.Scale >= -4) {
                layout.Kind = TColumnKind::Scaled;
                layout.DataSize = 8;
            } else if (dynamic_cast<TFloatField*>(FindField(column.Name()))) {
                layout.Kind = TColumnKind::ScaledDouble;
                layout.DataSize = 8;
            } else {
                layout.Kind = TColumnKind::ScaledBcd;
                layout.DataSize = static_cast<int>(sizeof(TBcd));
            }
            break;
        case SQL_TIMESTAMP:
            layout.Kind = TColumnKind::Timestamp;
            layout.DataSize = 8;
            break;
        case SQL_TYPE_DATE:
            layout.Kind = TColumnKind::Date;
            layout.DataSize = 8;
            break;
        case SQL_TYPE_TIME:
            layout.Kind = TColumnKind::Time;
            layout.DataSize = 8;
            break;
        default:
            layout.Kind = TColumnKind::Raw;
            layout.DataSize = layout.Length;
            break;
        }
        if (var.AliasName() == DbKeyAlias) {
            layout.Kind = TColumnKind::DbKey;
            layout.DataSize = 0;
        }
        if (IsBlobType(layout.SqlType))
            ++blobColumns;
        layout.DataOffset = FRecordSize;
        FRecordSize += layout.DataSize;
    }
    FCalcFieldsSize = 0;
    FCalcFieldsOffset = FRecordSize;
    FBlobCacheOffset = FCalcFieldsOffset + FCalcFieldsSize;
    FRecordBufferSize = FBlobCacheOffset + 4 * blobColumns;

    FModelBuffer.assign(static_cast<std::size_t>(FRecordBufferSize), std::byte{0});
    std::byte* model = FModelBuffer.data();
    record::Put<std::int16_t>(model, record::ColumnCount, static_cast<std::int16_t>(count));
    record::Put<std::int32_t>(model, record::RecordNumber, -1);
    record::Put<std::int32_t>(model, record::SavedPosition, -1);
    for (int i = 0; i < count; ++i) {
        const TColumnLayout& layout = FColumns[static_cast<std::size_t>(i)];
        std::byte* d = model + record::Column(i + 1);
        record::Put<std::int16_t>(d, record::SqlType, static_cast<std::int16_t>(layout.SqlType));
        record::Put<std::int16_t>(d, record::Scale, static_cast<std::int16_t>(layout.Scale));
        record::Put<std::uint8_t>(d, record::Nullable, layout.Nullable ? 1 : 0);
        record::Put<std::uint8_t>(d, record::IsNull, 1);
        record::Put<std::int32_t>(d, record::DataSize, layout.DataSize);
        record::Put<std::int32_t>(d, record::DataLength, 0);
        record::Put<std::int32_t>(d, record::DataOffset, layout.DataOffset);
        record::Put<std::int16_t>(d, record::CharSize, static_cast<std::int16_t>(layout.CharSize));
        record::Put<std::uint8_t>(d, record::StoredAsDouble,
                                  layout.Kind == TColumnKind::ScaledDouble ? 1 : 0);
    }
}

void TIBCustomDataSet::AllocateCaches() {
    const std::size_t recordSize = static_cast<std::size_t>(FRecordBufferSize);
    FBufferChunkSize = recordSize * static_cast<std::size_t>(UniDirectional() ? UniDirectionalRows
                                                                              : FBufferChunks);
    // A record of no columns still takes room, so that rows keep distinct places.
    FBufferCache.Reset(std::max<std::size_t>(FBufferChunkSize, 1));
    if (FCachedUpdates)
        FOldBufferCache.Reset(std::max<std::size_t>(FBufferChunkSize, 1));
    FBPos = FBEnd = FOBPos = FOBEnd = 0;
    FOldBuffer.assign(recordSize, std::byte{0});
    FTempBuffer.assign(recordSize, std::byte{0});
}

void TIBCustomDataSet::FreeCaches() noexcept {
    FBufferCache.Free();
    FOldBufferCache.Free();
    FBufferChunkSize = 0;
    FBPos = FBEnd = FOBPos = FOBEnd = 0;
    FModelBuffer.clear();
    FModelBuffer.shrink_to_fit();
    FOldBuffer.clear();
    FOldBuffer.shrink_to_fit();
    FTempBuffer.clear();
    FTempBuffer.shrink_to_fit();
    FColumns.clear();
}

std::size_t TIBCustomDataSet::ActiveBufferSize() const {
    return static_cast<std::size_t>(std::max(FRecordBufferSize, 1));
}

std::size_t TIBCustomDataSet::CacheOffset(int index) const noexcept {
    const int slot = UniDirectional() ? index % UniDirectionalRows : index;
    return static_cast<std::size_t>(slot) * static_cast<std::size_t>(FRecordBufferSize);
}

bool TIBCustomDataSet::CursorAtEnd() const noexcept {
    return !FOpen || FQSelect->Eof();
}

const std::byte* TIBCustomDataSet::CachedRecord(int index) const noexcept {
    if (index < 0 || index >= FRecordCount ||
        (UniDirectional() && index < FRecordCount - UniDirectionalRows))
        return nullptr;
    return FBufferCache.At(CacheOffset(index));
}

bool TIBCustomDataSet::ReadCachedRecord(int index, std::byte* buffer) const {
    const std::byte* cached = CachedRecord(index);
    if (!cached)
        return false;
    if (FRecordBufferSize > 0)
        std::memcpy(buffer, cached, static_cast<std::size_t>(FRecordBufferSize));
    return true;
}

bool TIBCustomDataSet::FetchNextRow() {
    if (CursorAtEnd())
        return false;
    if (!FQSelect->Next())
        return false;
    const std::size_t offset = CacheOffset(FRecordCount);
    FBufferCache.EnsureRoom(offset);
    FillRecordFromRow(*FQSelect, FRecordCount, FBufferCache.At(offset));
    ++FRecordCount;
    return true;
}

TGetResult TIBCustomDataSet::GetRecord(std::byte* buffer, TGetMode mode) {
    switch (mode) {
    case TGetMode::gmCurrent:
        return ReadCachedRecord(FCurrentRecord, buffer) ? TGetResult::grOK : TGetResult::grError;
    case TGetMode::gmPrior:
        if (FCurrentRecord <= 0) {
            FCurrentRecord = -1;
            return TGetResult::grBOF;
        }
        if (!ReadCachedRecord(FCurrentRecord - 1, buffer))
            RaiseClientError(ibxeDataSetUniDirectional);
        --FCurrentRecord;
        return TGetResult::grOK;
    case TGetMode::gmNext:
        if (FCurrentRecord + 1 < FRecordCount) {
            if (!ReadCachedRecord(FCurrentRecord + 1, buffer))
                RaiseClientError(ibxeDataSetUniDirectional);
            ++FCurrentRecord;
            return TGetResult::grOK;
        }
        if (!FetchNextRow())
            return TGetResult::grEOF;
        FCurrentRecord = FRecordCount - 1;
        ReadCachedRecord(FCurrentRecord, buffer);
        return TGetResult::grOK;
    }
    return TGetResult::grError;
}

void TIBCustomDataSet::InternalFirst() {
    if (UniDirectional() && FRecordCount > UniDirectionalRows)
        RaiseClientError(ibxeDataSetUniDirectional);
    FCurrentRecord = -1;
}

void TIBCustomDataSet::InternalLast() {
    while (FetchNextRow()) {
    }
    FCurrentRecord = FRecordCount;
}

void TIBCustomDataSet::FetchAll() {
    if (CursorAtEnd())
        return;
    DisableControls();
    struct TEnable {
        TDataSet& Owner;
        ~TEnable() { Owner.EnableControls(); }
    } enable{*this};
    const int bookmark = FCurrentRecord;
    while (FetchNextRow()) {
    }
    // A unidirectional dataset no longer holds the row it was on: it stays on the last one.
    FCurrentRecord = CachedRecord(bookmark) ? bookmark : FRecordCount - 1;
    Resync();
}

void TIBCustomDataSet::FillRecordFromRow(const TIBSQL& statement, int recordNumber,
                                         std::byte* buffer) {
    const std::size_t headerAndColumns =
        static_cast<std::size_t>(record::HeaderSize) + record::ColumnSize * FColumns.size();
    // The model holds the header and every column descriptor with the column null.
    std::memcpy(buffer, FModelBuffer.data(), headerAndColumns);
    if (FBlobCacheOffset < FRecordBufferSize)
        std::memset(buffer + FBlobCacheOffset, 0,
                    static_cast<std::size_t>(FRecordBufferSize - FBlobCacheOffset));
    if (recordNumber < 0)
        return;
    record::Put<std::int32_t>(buffer, record::RecordNumber, recordNumber);

    TIBXSQLDA& row = *const_cast<TIBSQL&>(statement).Current();
    const ortavo::Encoding& encoding = Database()->Encoding();
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        const TColumnLayout& layout = FColumns[i];
        const TSQLVAR& var = row.Vars(static_cast<int>(i))->Data();
        const auto* data = reinterpret_cast<const std::byte*>(var.SqlData());
        if (layout.Kind == TColumnKind::DbKey) {
            if (var.SqlLen() <= record::DbKeySize)
                std::memcpy(buffer + record::DbKey, data, static_cast<std::size_t>(var.SqlLen()));
            continue;
        }
        std::byte* d = buffer + record::Column(static_cast<int>(i) + 1);
        const bool isNull = layout.Nullable && var.SqlInd() && *var.SqlInd() == -1;
        if (isNull)
            continue;
        record::Put<std::uint8_t>(d, record::IsNull, 0);
        std::byte* target = buffer + layout.DataOffset;
        switch (layout.Kind) {
        case TColumnKind::Fixed:
        case TColumnKind::Varying: {
            std::string_view bytes;
            if (layout.Kind == TColumnKind::Varying) {
                const auto length = record::Get<std::uint16_t>(data, 0);
                bytes = std::string_view(var.SqlData() + 2, length);
            } else {
                bytes = std::string_view(var.SqlData(), static_cast<std::size_t>(var.SqlLen()));
            }
            if (layout.Octets) {
                std::memcpy(target, bytes.data(), bytes.size());
                record::Put<std::int32_t>(d, record::DataLength,
                                          static_cast<std::int32_t>(bytes.size()));
                break;
            }
            String& text = FDecoded;
            encoding.DecodeInto(bytes, text);
            if (layout.Kind == TColumnKind::Fixed)
                TrimFixedText(text, layout.DeclaredChars);
            // Never cut: a text longer than its room fails when read.
            const std::size_t room = static_cast<std::size_t>(layout.DataSize) / 2;
            if (text.size() > room)
                record::Put<std::uint8_t>(d, record::OutOfRange, 1);
            const std::size_t length = std::min(text.size(), room);
            std::memcpy(target, text.data(), length * 2);
            record::Put<std::int32_t>(d, record::DataLength, static_cast<std::int32_t>(length * 2));
            break;
        }
        case TColumnKind::Double:
            std::memcpy(target, data, 8);
            break;
        case TColumnKind::Float:
            record::Put<double>(target, 0, record::Get<float>(data, 0));
            break;
        case TColumnKind::Integer:
            record::Put<std::int32_t>(target, 0,
                                      layout.SqlType == SQL_SHORT
                                          ? record::Get<std::int16_t>(data, 0)
                                          : record::Get<std::int32_t>(data, 0));
            break;
        case TColumnKind::Int64:
            std::memcpy(target, data, 8);
            break;
        case TColumnKind::Scaled: {
            // The exact value in ten-thousandths: the scaled integer times 10^(4 + scale).
            std::int64_t value = ScaledValue(var);
            std::int64_t factor = 1;
            for (int s = 4 + layout.Scale; s > 0; --s)
                factor *= 10;
            // A value beyond the currency range keeps the scaled integer: the descriptor
            // cannot tell NUMERIC(18,2) from NUMERIC(10,2), so the column is no wider.
            Currency currency = 0;
            if (__builtin_mul_overflow(value, factor, &currency)) {
                record::Put<std::uint8_t>(d, record::OutOfRange, 1);
                currency = value;
            }
            record::Put<std::int64_t>(target, 0, currency);
            break;
        }
        case TColumnKind::ScaledDouble:
            record::Put<double>(target, 0,
                                BcdToDouble(ScaledIntegerToBcd(ScaledValue(var), layout.Scale)));
            break;
        case TColumnKind::ScaledBcd:
            record::Put<TBcd>(target, 0, ScaledIntegerToBcd(ScaledValue(var), layout.Scale));
            break;
        case TColumnKind::Timestamp: {
            const auto date = record::Get<ISC_DATE>(data, 0);
            const auto time = record::Get<ISC_TIME>(data, sizeof(ISC_DATE));
            record::Put<double>(target, 0,
                                static_cast<double>(date + ServerDateDelta) * MSecsPerDay +
                                    static_cast<double>(time / 10));
            break;
        }
        case TColumnKind::Date:
            record::Put<std::int32_t>(target, 0, record::Get<ISC_DATE>(data, 0) + ServerDateDelta);
            break;
        case TColumnKind::Time:
            record::Put<std::int32_t>(
                target, 0, static_cast<std::int32_t>(record::Get<ISC_TIME>(data, 0) / 10));
            break;
        case TColumnKind::Raw:
            std::memcpy(target, data, static_cast<std::size_t>(layout.DataSize));
            break;
        case TColumnKind::DbKey:
            break;
        }
    }
}

bool TIBCustomDataSet::GetFieldData(const TField& field, void* buffer) const {
    const std::byte* current = ActiveBuffer();
    if (!current || !HasCurrentRecord())
        return false;
    if (field.Calculated()) {
        // One flag byte telling whether a value is there, then the value.
        const std::byte* calc = current + FCalcFieldsOffset + field.Offset();
        if (field.Offset() + 1 + field.DataSize() > FCalcFieldsSize || calc[0] == std::byte{0})
            return false;
        if (buffer)
            std::memcpy(buffer, calc + 1, static_cast<std::size_t>(field.DataSize()));
        return true;
    }
    const int columnNo = field.FieldNo();
    const int count = record::Get<std::int16_t>(current, record::ColumnCount);
    if (columnNo < 1 || columnNo > count)
        return false;
    const std::byte* d = current + record::Column(columnNo);
    if (record::Get<std::uint8_t>(d, record::IsNull) != 0)
        return false;
    if (!buffer)
        return true;
    if (record::Get<std::uint8_t>(d, record::OutOfRange) != 0)
        RaiseClientError(ibxeInvalidDataConversion);
    const int type = record::Get<std::int16_t>(d, record::SqlType);
    const int dataSize = record::Get<std::int32_t>(d, record::DataSize);
    const int dataLength = record::Get<std::int32_t>(d, record::DataLength);
    const std::byte* data = current + record::Get<std::int32_t>(d, record::DataOffset);
    if (IsText(type) && (field.DataType() == ftBytes || field.DataType() == ftVarBytes)) {
        // The bytes as the server sent them; varying ones after their 16-bit length.
        if (dataLength > field.Size())
            RaiseClientError(ibxeFieldSizeMismatch, {field.FieldName()});
        auto* out = static_cast<std::byte*>(buffer);
        std::memset(out, 0, static_cast<std::size_t>(field.DataSize()));
        if (field.DataType() == ftVarBytes) {
            record::Put<std::uint16_t>(out, 0, static_cast<std::uint16_t>(dataLength));
            out += 2;
        }
        std::memcpy(out, data, static_cast<std::size_t>(dataLength));
        return true;
    }
    if (IsText(type)) {
        const int size = field.Size();
        const int chars = dataLength / 2;
        if (size < chars)
            RaiseClientError(ibxeFieldSizeMismatch, {field.FieldName()});
        auto* out = static_cast<char16_t*>(buffer);
        // A fixed text is stored whole, with the blanks the server padded it to its width;
        // Size is room for any value, not the width, so nothing is added.
        std::memcpy(out, data, static_cast<std::size_t>(chars) * 2);
        int end = chars;
        if (type == SQL_TEXT) {
            const auto* text = dynamic_cast<const TStringField*>(&field);
            if (!text || !text->FixedChar())
                while (end > 0 && out[end - 1] == u' ')
                    --end;
        }
        out[end] = u'\0';
        return true;
    }
    if (IsBlobType(type))
        return ReadBlob(data, buffer, field.DataType() == ftWideMemo || field.DataType() == ftMemo);
    // Never more than the column holds: a field wider than its column gets zeros.
    const int wanted = field.DataSize();
    const int copied = std::min(wanted, dataSize);
    std::memcpy(buffer, data, static_cast<std::size_t>(copied));
    if (wanted > copied)
        std::memset(static_cast<std::byte*>(buffer) + copied, 0,
                    static_cast<std::size_t>(wanted - copied));
    return true;
}

bool TIBCustomDataSet::ExactBeyondCurrency(const TField& field, TBcd& value) const {
    const std::byte* current = ActiveBuffer();
    if (!current || !HasCurrentRecord() || field.Calculated())
        return false;
    const int columnNo = field.FieldNo();
    if (columnNo < 1 || columnNo > record::Get<std::int16_t>(current, record::ColumnCount))
        return false;
    const std::byte* d = current + record::Column(columnNo);
    if (record::Get<std::uint8_t>(d, record::IsNull) != 0 ||
        record::Get<std::uint8_t>(d, record::OutOfRange) == 0)
        return false;
    value = ScaledIntegerToBcd(
        record::Get<std::int64_t>(current, record::Get<std::int32_t>(d, record::DataOffset)),
        record::Get<std::int16_t>(d, record::Scale));
    return true;
}

bool TIBCustomDataSet::ReadBlob(const std::byte* data, void* buffer, bool text) const {
    TIBDatabase* database = Database();
    TIBTransaction* transaction = Transaction();
    if (!database || !transaction)
        RaiseClientError(!database ? ibxeDatabaseNotAssigned : ibxeTransactionNotAssigned);
    IGDSLibrary& library = *database->GDSLibrary();
    ISC_QUAD id = record::Get<ISC_QUAD>(data, 0);
    isc_blob_handle handle = 0;
    transaction->Call(library.isc_open_blob2(ThreadStatusVector(), database->HandleAddress(),
                                             transaction->HandleAddress(), &handle, &id, 0,
                                             nullptr),
                      true);
    struct TBlobHandle {
        IGDSLibrary& Library;
        isc_blob_handle& Handle;
        ~TBlobHandle() {
            // Closing a blob that was only read cannot lose anything.
            ISC_STATUS_ARRAY status;
            if (Handle)
                Library.isc_close_blob(status, &Handle);
        }
    } owner{library, handle};
    std::string bytes;
    char segment[32768];
    for (;;) {
        unsigned short length = 0;
        const ISC_STATUS status = library.isc_get_segment(ThreadStatusVector(), &handle, &length,
                                                          sizeof segment, segment);
        if (status == isc_segstr_eof)
            break;
        if (status != 0 && status != isc_segment)
            transaction->Call(status, true);
        bytes.append(segment, length);
    }
    if (text)
        *static_cast<String*>(buffer) = database->Encoding().Decode(bytes);
    else
        *static_cast<std::string*>(buffer) = std::move(bytes);
    return true;
}

} // namespace ortavo
