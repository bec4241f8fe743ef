// TIBCustomDataSet: a dataset over the select statement of a connection and transaction,
// fetching its rows on demand into a record cache of fixed-layout record buffers.
#pragma once

#include "IBX/connection/CustomConnection.h"
#include "IBX/datasets/IBRecordCache.h"
#include "data/DataSet.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ortavo {

struct TBcd;
class TIBBase;
class TIBDatabase;
class TIBSQL;
class TIBTransaction;
class TIBXSQLDA;

// Which of the modification statements have text.
enum TLiveMode : std::uint8_t { lmInsert = 1, lmModify = 2, lmDelete = 4, lmRefresh = 8 };

// Ownership: the dataset owns its link and its five statements; it refers to its database
// and transaction through the link (either may go first: the link is told). It owns the
// record cache, the old-record cache and the spare buffers from open to close. Destroying
// an open dataset closes it and drops any failure.
class TIBCustomDataSet : public TDataSet, public IConnectionDataSet {
public:
    explicit TIBCustomDataSet(TComponent* owner = nullptr);
    ~TIBCustomDataSet() override;

    TIBDatabase* Database() const noexcept;
    virtual void SetDatabase(TIBDatabase* value);
    TIBTransaction* Transaction() const noexcept;
    virtual void SetTransaction(TIBTransaction* value);
    TIBBase& Base() const noexcept { return *FBase; }

    // Records the cache grows by; at least 1.
    int BufferChunks() const noexcept { return FBufferChunks; }
    void SetBufferChunks(int value) noexcept { FBufferChunks = value < 1 ? 1 : value; }
    bool CachedUpdates() const noexcept { return FCachedUpdates; }
    // Turning it on while open raises "Dataset open".
    void SetCachedUpdates(bool value);
    // Turning it on while open raises "Dataset open".
    void SetUniDirectional(bool value) override;

    // Scan statement texts for parameter markers (a colon and a name).
    bool ParamCheck() const noexcept { return FParamCheck; }
    void SetParamCheck(bool value) noexcept { FParamCheck = value; }

    // Fetches every remaining row and comes back to the current one.
    void FetchAll();
    // Rows fetched so far.
    int RecordCount() const override { return FRecordCount - FDeletedRecords; }
    // The last known count of rows the statement changed; −1 when unknown. A count left
    // with the statement is asked of the server here, so that running it costs no request
    // for a count nobody reads.
    int RowsAffected();
    // The cursor has been read to its end.
    bool CursorAtEnd() const noexcept;

    TIBSQL& QSelect() const noexcept { return *FQSelect; }
    TIBSQL& QDelete() const noexcept { return *FQDelete; }
    TIBSQL& QInsert() const noexcept { return *FQInsert; }
    TIBSQL& QModify() const noexcept { return *FQModify; }
    TIBSQL& QRefresh() const noexcept { return *FQRefresh; }
    std::uint8_t LiveMode() const noexcept { return FLiveMode; }
    bool InternalPrepared() const noexcept { return FInternalPrepared; }
    // The select's columns changed the server computes or defaults: rows should be re-read
    // after a write.
    bool ForcedRefresh() const noexcept { return FForcedRefresh; }

    // Record buffer layout of the open dataset.
    int RecordSize() const noexcept { return FRecordSize; }
    int RecordBufferSize() const noexcept { return FRecordBufferSize; }
    int CalcFieldsOffset() const noexcept { return FCalcFieldsOffset; }
    int BlobCacheOffset() const noexcept { return FBlobCacheOffset; }
    std::size_t CacheSize() const noexcept { return FBufferCache.Size(); }
    std::size_t OldCacheSize() const noexcept { return FOldBufferCache.Size(); }
    // The cached record of that index (0 first); none for a row not held.
    const std::byte* CachedRecord(int index) const noexcept;
    // The current record buffer, as the fields read it; none while closed.
    const std::byte* CurrentRecordBuffer() const noexcept { return ActiveBuffer(); }

    bool GetFieldData(const TField& field, void* buffer) const override;
    // The exact value of a scaled column whose current value lies beyond the currency range
    // (its field's getters fail with "Invalid data conversion"); false for every other.
    bool ExactBeyondCurrency(const TField& field, TBcd& value) const;

    // IConnectionDataSet
    void ConnectChangeEvent(bool connecting) override;
    bool DataSetActive() const override { return Active(); }

    // Builds the field definitions from the select's output descriptor, preparing first
    // when the statements are not prepared.
    void BuildFieldDefs();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    TGetResult GetRecord(std::byte* buffer, TGetMode mode) override;
    std::size_t ActiveBufferSize() const override;
    // Text fields and fixed-point fields of the database layer.
    std::unique_ptr<TField> NewField(TFieldType type) const override;

    // "Database not assigned", "Transaction not assigned"; opens a closed connection.
    void EnsureConnected();
    // Auto-starts an inactive transaction; true when it did.
    bool EnsureTransaction();
    void ReleaseTransaction();
    void PrepareStatements();
    void UnprepareStatements();
    // Opens the select's cursor (or runs a statement that returns no rows).
    virtual void OpenResultSet();
    void CloseResultSet();
    // Copies the current row of the statement into a record buffer; record number −1 builds
    // the model record (layout only, every column null).
    void FillRecordFromRow(const TIBSQL& statement, int recordNumber, std::byte* buffer);
    // Runs before a statement's text changes: closes, unprepares, forgets the definitions.
    void StatementTextChanging(TIBSQL& statement);
    void SetRowsAffected(int value) noexcept {
        FRowsAffected = value;
        FRowsAffectedUnread = false;
    }
    // The statement just ran and holds its count; read when asked.
    void LeaveRowsAffected() noexcept { FRowsAffectedUnread = true; }
    bool RowsAffectedUnread() const noexcept { return FRowsAffectedUnread; }

private:
    struct TColumnLayout;

    void LinkStatement(TIBSQL& statement);
    void BuildModelRecord();
    void AllocateCaches();
    void FreeCaches() noexcept;
    // Fetches the next row of the cursor into the cache; false at the end of the cursor.
    bool FetchNextRow();
    std::size_t CacheOffset(int index) const noexcept;
    bool ReadCachedRecord(int index, std::byte* buffer) const;
    bool ReadBlob(const std::byte* data, void* buffer, bool text) const;
    void BeforeDisconnect();
    void BeforeTransactionEnd();

    std::unique_ptr<TIBBase> FBase;
    std::unique_ptr<TIBSQL> FQDelete;
    std::unique_ptr<TIBSQL> FQInsert;
    std::unique_ptr<TIBSQL> FQRefresh;
    std::unique_ptr<TIBSQL> FQSelect;
    std::unique_ptr<TIBSQL> FQModify;

    int FBufferChunks = 1000;
    bool FCachedUpdates = false;
    bool FParamCheck = true;
    bool FInternalPrepared = false;
    bool FOpen = false;
    bool FForcedRefresh = false;
    std::uint8_t FLiveMode = 0;
    int FRowsAffected = -1;
    bool FRowsAffectedUnread = false;

    int FRecordCount = 0;
    int FDeletedRecords = 0;
    int FCurrentRecord = -1;
    int FRecordSize = 0;
    int FCalcFieldsOffset = 0;
    int FCalcFieldsSize = 0;
    int FBlobCacheOffset = 0;
    int FRecordBufferSize = 0;
    std::size_t FBufferChunkSize = 0;
    TRecordCache FBufferCache;
    TRecordCache FOldBufferCache;
    std::size_t FBPos = 0, FBEnd = 0, FOBPos = 0, FOBEnd = 0;
    std::vector<std::byte> FModelBuffer;
    // The text being stored, kept between rows for its room.
    String FDecoded;
    std::vector<std::byte> FOldBuffer;
    std::vector<std::byte> FTempBuffer;
    std::vector<TColumnLayout> FColumns; // per result column, from the model record
    std::vector<int> FFieldColumn;       // field index → column index, −1 for none
};

} // namespace ortavo
