// TParams and TParam: the named parameters of a statement text, with their values.
#pragma once

#include "base/DateTime.h"
#include "data/Bcd.h"
#include "data/FieldType.h"
#include "data/NumberText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace ortavo {

class TComponent;
class TParams;

// One parameter: a name, a data type and a value, null until set. The setters set the
// value, clear null and mark the parameter bound; the getters convert between the kinds.
class TParam {
public:
    explicit TParam(TParams* collection = nullptr, String name = {});

    const String& Name() const noexcept { return FName; }
    void SetName(String value) { FName = std::move(value); }
    TFieldType DataType() const noexcept { return FDataType; }
    void SetDataType(TFieldType value) noexcept { FDataType = value; }
    bool IsNull() const noexcept { return std::holds_alternative<std::monostate>(FValue); }
    bool Bound() const noexcept { return FBound; }
    void SetBound(bool value) noexcept { FBound = value; }
    TParams* Collection() const noexcept { return FCollection; }

    // Null again; the data type stays.
    void Clear() noexcept { FValue = std::monostate{}; }

    void SetAsString(const String& value);
    void SetAsWideString(const String& value) { SetText(value, ftWideString); }
    void SetAsFixedChar(const String& value) { SetText(value, ftFixedChar); }
    void SetAsMemo(const String& value) { SetText(value, ftMemo); }
    void SetAsInteger(std::int32_t value) { Set(std::int64_t{value}, ftInteger); }
    void SetAsSmallInt(std::int16_t value) { Set(std::int64_t{value}, ftSmallint); }
    void SetAsWord(std::uint16_t value) { Set(std::int64_t{value}, ftWord); }
    void SetAsLargeInt(std::int64_t value) { Set(value, ftLargeint); }
    void SetAsFloat(double value) { Set(value, ftFloat); }
    void SetAsCurrency(Currency value) { Set(value, ftCurrency); }
    void SetAsBCD(Currency value) { Set(value, ftBCD); }
    void SetAsFMTBCD(const TBcd& value) { Set(value, ftFMTBcd); }
    void SetAsDate(TDateTime value) { Set(value, ftDate); }
    void SetAsTime(TDateTime value) { Set(value, ftTime); }
    void SetAsDateTime(TDateTime value) { Set(value, ftDateTime); }
    void SetAsBoolean(bool value) { Set(value, ftBoolean); }
    void SetAsBytes(const std::string& value) { Set(value, ftVarBytes); }
    void SetAsBlob(const std::string& value) { Set(value, ftBlob); }

    // Null gives an empty text, 0, false or empty bytes. Conversions that fail raise
    // EConvertError.
    String AsString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsLargeInt() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    std::string AsBytes() const;
    TBcd AsFMTBCD() const;

    // Value, data type, null and bound state of the source; the name stays.
    void AssignValue(const TParam& source);

private:
    using TValue =
        std::variant<std::monostate, String, std::int64_t, double, bool, std::string, TBcd>;
    template <typename T> void Set(T value, TFieldType type) {
        FValue = std::move(value);
        FDataType = type;
        FBound = true;
    }
    void SetText(const String& value, TFieldType type) { Set(value, type); }
    bool HoldsCurrency() const noexcept;

    TParams* FCollection;
    String FName;
    TFieldType FDataType = ftUnknown;
    TValue FValue;
    bool FBound = false;
};

// Ownership: the list owns its items; references to items stay valid until the list is
// cleared or assigned. The owner component names the list's errors.
class TParams {
public:
    explicit TParams(TComponent* owner = nullptr) : FOwner(owner) {}
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TParam& Items(int index) const;
    TParam& operator[](int index) const { return Items(index); }
    TComponent* Owner() const noexcept { return FOwner; }

    TParam& Add(String name);
    void Clear() noexcept { FItems.clear(); }
    // Items of the source, with names and values, replace this list's.
    void Assign(const TParams& source);
    // Values of same-named items of the source (case-insensitive) are copied into this list.
    void AssignValues(const TParams& source);

    // The first item of that name, case-insensitive; none when absent.
    TParam* FindParam(StringView name) const;
    // Raises the database error "Parameter '%s' not found", prefixed by the owner's name.
    TParam& ParamByName(StringView name) const;

    // Finds the named parameters of a text (a colon and a name; "::" is a colon, quotes of
    // ', " and ` protect their contents) and yields the text with each replaced by "?".
    // With doCreate the list is cleared and gets one item per marker, in order.
    String ParseSQL(StringView sql, bool doCreate);

private:
    TComponent* FOwner;
    std::vector<std::unique_ptr<TParam>> FItems;
};

} // namespace ortavo
