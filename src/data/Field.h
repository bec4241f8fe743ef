// TField: one column of a dataset's current record, read through the dataset and converted
// by the field's class; and TFields, the dataset's list of them.
#pragma once

#include "base/Component.h"
#include "base/DateTime.h"
#include "data/FieldType.h"
#include "data/NumberText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ortavo {

class TDataSet;

// Ownership: a dataset's fields belong to its TFields list and live while the dataset is
// open (fields created at open) or until the dataset goes.
class TField : public TComponent {
public:
    explicit TField(TComponent* owner = nullptr) : TComponent(owner) {}

    TDataSet* DataSet() const noexcept { return FDataSet; }
    void SetDataSet(TDataSet* value) noexcept { FDataSet = value; }
    const String& FieldName() const noexcept { return FFieldName; }
    void SetFieldName(String value) { FFieldName = std::move(value); }
    int FieldNo() const noexcept { return FFieldNo; }
    void SetFieldNo(int value) noexcept { FFieldNo = value; }
    TFieldType DataType() const noexcept { return FDataType; }
    void SetDataType(TFieldType value) noexcept { FDataType = value; }
    int Size() const noexcept { return FSize; }
    virtual void SetSize(int value) { FSize = value; }
    bool Required() const noexcept { return FRequired; }
    void SetRequired(bool value) noexcept { FRequired = value; }
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value) noexcept { FReadOnly = value; }
    TFieldKind FieldKind() const noexcept { return FFieldKind; }
    void SetFieldKind(TFieldKind value) noexcept { FFieldKind = value; }
    // A value the dataset's calculation gives, kept in the record's calculated area.
    bool Calculated() const noexcept {
        return FFieldKind == TFieldKind::fkCalculated || FFieldKind == TFieldKind::fkLookup;
    }
    // Where the field's value lies in the calculated area, and how many bytes it takes.
    int Offset() const noexcept { return FOffset; }
    void SetOffset(int value) noexcept { FOffset = value; }

    // Bytes of the field's value as GetData writes it.
    virtual int DataSize() const = 0;
    // Reads the current record's value; false when there is none (null, no record).
    bool GetData(void* buffer) const;
    bool IsNull() const;

    // The conversions of the field's class; a class without one raises EDatabaseError
    // "Cannot access field '%s' as type %s".
    virtual String AsString() const;
    virtual std::int32_t AsInteger() const;
    virtual std::int64_t AsLargeInt() const;
    virtual double AsFloat() const;
    virtual Currency AsCurrency() const;
    virtual TDateTime AsDateTime() const;
    virtual bool AsBoolean() const;
    virtual std::string AsBytes() const;

protected:
    [[noreturn]] void AccessError(const char16_t* typeName) const;
    // Reads a fixed-size value; false when there is none.
    template <typename T> bool ReadValue(T& value) const { return GetData(&value); }

private:
    TDataSet* FDataSet = nullptr;
    String FFieldName;
    int FFieldNo = 0;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    int FOffset = 0;
    bool FRequired = false;
    bool FReadOnly = false;
    TFieldKind FFieldKind = TFieldKind::fkData;
};

// The dataset's fields in column order, looked up by name without regard to case.
class TFields {
public:
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TField& Fields(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
    TField& operator[](int index) const { return Fields(index); }
    void Add(std::unique_ptr<TField> field);
    void Clear() noexcept;
    // The first field of that name; none when absent.
    TField* FindField(StringView name) const;

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<TField>> FItems;
    std::unordered_map<String, TField*> FByName; // keyed by the upper-cased name
};

} // namespace ortavo
