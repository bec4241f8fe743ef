// TDataSet: the cursor over a set of records that fields read from: open and close, moving
// between records, the field definitions and the fields.
#pragma once

#include "base/Component.h"
#include "data/Field.h"
#include "data/FieldDefs.h"

#include <cstddef>
#include <memory>

namespace ortavo {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };

// A dataset holds one record buffer, the current record, which its fields read. Derived
// datasets supply the records (GetRecord) and the values (GetFieldData).
//
// Ownership: the dataset owns its field definitions, its fields and its record buffer.
// A derived destructor must close the dataset itself (Close calls virtual operations).
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    bool Active() const noexcept { return FState != TDataSetState::dsInactive; }
    void SetActive(bool value);
    // Opening an open dataset and closing a closed one do nothing. A failure while opening
    // leaves the dataset closed.
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const noexcept { return FState; }

    bool Bof() const noexcept { return FBOF; }
    bool Eof() const noexcept { return FEOF; }
    bool IsEmpty() const noexcept { return !FHasRecord; }
    void First();
    void Next();
    void Prior();
    void Last();
    virtual int RecordCount() const = 0;

    // While unidirectional the dataset keeps no more rows than it needs to move forward.
    bool UniDirectional() const noexcept { return FUniDirectional; }
    // Client datasets refuse the change while open.
    virtual void SetUniDirectional(bool value);

    TFieldDefs& FieldDefs() noexcept { return FFieldDefs; }
    const TFieldDefs& FieldDefs() const noexcept { return FFieldDefs; }
    TFields& Fields() noexcept { return FFields; }
    const TFields& Fields() const noexcept { return FFields; }
    // Raises the database error "Field '%s' not found", prefixed by the dataset's name.
    TField& FieldByName(StringView name) const;
    TField* FindField(StringView name) const { return FFields.FindField(name); }

    // The current record's value of the field into buffer (the field's DataSize bytes);
    // false when it has none. A null buffer only asks whether there is a value.
    virtual bool GetFieldData(const TField& field, void* buffer) const = 0;
    // Whether there is a current record for fields to read.
    bool HasCurrentRecord() const noexcept { return FHasRecord && Active(); }

    void DisableControls() noexcept { ++FDisableCount; }
    void EnableControls() noexcept {
        if (FDisableCount > 0)
            --FDisableCount;
    }
    bool ControlsDisabled() const noexcept { return FDisableCount > 0; }

    void CheckActive() const;   // "Cannot perform this operation on a closed dataset"
    void CheckInactive() const; // "Cannot perform this operation on an open dataset"

protected:
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Before the first record / past the last one.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // Fills the buffer with the record the mode names; a result other than grOK leaves it.
    virtual TGetResult GetRecord(std::byte* buffer, TGetMode mode) = 0;
    virtual std::size_t ActiveBufferSize() const = 0;

    std::byte* ActiveBuffer() const noexcept { return FActiveBuffer.get(); }
    // Re-reads the current record into the buffer after the derived dataset moved.
    void Resync();

    // Creates one field per definition through CreateField and binds it to the dataset.
    void CreateFields();
    void DestroyFields() noexcept { FFields.Clear(); }
    // The field object of a definition's type; raises "Field '%s' is of an unknown type".
    virtual std::unique_ptr<TField> CreateField(const TFieldDef& def);
    // The field class of a data type; none for a type without one.
    virtual std::unique_ptr<TField> NewField(TFieldType type) const;

private:
    void DoOpen();
    void DoClose();
    void Settle(TGetResult result, bool forward);

    TDataSetState FState = TDataSetState::dsInactive;
    TFieldDefs FFieldDefs;
    TFields FFields;
    std::unique_ptr<std::byte[]> FActiveBuffer;
    bool FBOF = true;
    bool FEOF = true;
    bool FHasRecord = false;
    bool FUniDirectional = false;
    int FDisableCount = 0;
};

} // namespace ortavo
