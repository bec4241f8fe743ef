// The field classes: how each kind of value is read from the record and converted.
#pragma once

#include "data/Bcd.h"
#include "data/Field.h"

namespace ortavo {

// Text of up to Size characters, kept in the record as UTF-16 with a terminating zero.
class TStringField : public TField {
public:
    explicit TStringField(TComponent* owner = nullptr);
    // Pads with blanks to Size when reading.
    bool FixedChar() const noexcept { return FFixedChar; }
    void SetFixedChar(bool value) noexcept { FFixedChar = value; }
    // Storing an empty text stores null (the field is not written by this system).
    bool EmptyAsNull() const noexcept { return FEmptyAsNull; }
    void SetEmptyAsNull(bool value) noexcept { FEmptyAsNull = value; }

    int DataSize() const override { return (Size() + 1) * 2; }
    // The text up to its terminating zero; empty without a value.
    String AsString() const override;
    // AsString into a text the caller keeps, reusing its room; false without a value.
    bool ReadText(String& text) const;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Currency AsCurrency() const override;
    TDateTime AsDateTime() const override;
    bool AsBoolean() const override;
    std::string AsBytes() const override;

protected:
    bool FFixedChar = false;
    bool FEmptyAsNull = false;
};

class TWideStringField : public TStringField {
public:
    explicit TWideStringField(TComponent* owner = nullptr);
};

class TNumericField : public TField {
public:
    using TField::TField;
};

// 32-bit and smaller integers; no value reads as 0 and an empty text.
class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }
    String AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override { return AsInteger(); }
    double AsFloat() const override { return AsInteger(); }
    Currency AsCurrency() const override { return AsInteger() * CurrencyOne; }
    bool AsBoolean() const override { return AsInteger() != 0; }

protected:
    virtual bool ReadInteger(std::int32_t& value) const;
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }

protected:
    bool ReadInteger(std::int32_t& value) const override;
};

class TWordField : public TIntegerField {
public:
    explicit TWordField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }

protected:
    bool ReadInteger(std::int32_t& value) const override;
};

class TAutoIncField : public TIntegerField {
public:
    explicit TAutoIncField(TComponent* owner = nullptr);
};

// 64-bit integers. AsInteger of a value beyond 32 bits is a conversion error.
class TLargeintField : public TNumericField {
public:
    explicit TLargeintField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    String AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
    Currency AsCurrency() const override;
    bool AsBoolean() const override { return AsLargeInt() != 0; }
};

class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    // The general form of FloatToStr.
    String AsString() const override;
    // Rounded to the nearest integer.
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Currency AsCurrency() const override { return FloatToCurr(AsFloat()); }
    bool AsBoolean() const override { return AsFloat() != 0; }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int value) noexcept { FPrecision = value; }

private:
    int FPrecision = 15;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* owner = nullptr);
};

// A fixed-point value with Size decimals and Precision digits, kept as a currency value.
class TBCDField : public TNumericField {
public:
    explicit TBCDField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int value) noexcept { FPrecision = value; }
    // The exact value, trailing fractional zeros dropped.
    String AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    // The currency value ÷ 10000.
    double AsFloat() const override;
    Currency AsCurrency() const override;
    bool AsBoolean() const override { return AsCurrency() != 0; }

protected:
    virtual bool ReadCurrency(Currency& value) const { return ReadValue(value); }

private:
    int FPrecision = 0;
};

// A decimal value kept exactly in the 34-byte packed form.
class TFMTBCDField : public TNumericField {
public:
    explicit TFMTBCDField(TComponent* owner = nullptr);
    int DataSize() const override { return static_cast<int>(sizeof(TBcd)); }
    int Precision() const noexcept { return FPrecision; }
    void SetPrecision(int value) noexcept { FPrecision = value; }
    String AsString() const override;
    std::int32_t AsInteger() const override;
    std::int64_t AsLargeInt() const override;
    double AsFloat() const override;
    Currency AsCurrency() const override { return FloatToCurr(AsFloat()); }
    bool AsBoolean() const override { return AsFloat() != 0; }
    bool AsBcd(TBcd& value) const { return ReadValue(value); }

private:
    int FPrecision = 0;
};

class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* owner = nullptr);
    int DataSize() const override { return 2; }
    // "True" or "False"; empty without a value.
    String AsString() const override;
    bool AsBoolean() const override;
    std::int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
};

// A timestamp, kept as milliseconds since 1 January of year 1 (a double).
class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* owner = nullptr);
    int DataSize() const override { return 8; }
    String AsString() const override;
    TDateTime AsDateTime() const override;
    double AsFloat() const override { return AsDateTime(); }

protected:
    // The date value; false without one.
    virtual bool ReadDateTime(TDateTime& value) const;
};

// A day, kept as a 32-bit day number (1 January of year 1 is 1).
class TDateField : public TDateTimeField {
public:
    explicit TDateField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }
    String AsString() const override;

protected:
    bool ReadDateTime(TDateTime& value) const override;
};

// A time of day, kept as 32-bit milliseconds since midnight.
class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TComponent* owner = nullptr);
    int DataSize() const override { return 4; }
    String AsString() const override;

protected:
    bool ReadDateTime(TDateTime& value) const override;
};

class TSQLTimeStampField : public TDateTimeField {
public:
    explicit TSQLTimeStampField(TComponent* owner = nullptr);
};

// Raw bytes of a fixed or varying length.
class TBytesField : public TField {
public:
    explicit TBytesField(TComponent* owner = nullptr);
    int DataSize() const override { return Size(); }
    std::string AsBytes() const override;
    String AsString() const override;
};

// Up to Size bytes, kept after their 16-bit length.
class TVarBytesField : public TBytesField {
public:
    explicit TVarBytesField(TComponent* owner = nullptr);
    int DataSize() const override { return Size() + 2; }
    std::string AsBytes() const override;
};

// A blob's content, read through the dataset; binary blobs give their bytes.
class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* owner = nullptr);
    int DataSize() const override { return 0; }
    std::string AsBytes() const override;
    // The bytes as ANSI text.
    String AsString() const override;
};

class TGraphicField : public TBlobField {
public:
    explicit TGraphicField(TComponent* owner = nullptr);
};

// A text blob, decoded in the connection's encoding.
class TWideMemoField : public TBlobField {
public:
    explicit TWideMemoField(TComponent* owner = nullptr);
    String AsString() const override;
    // The text in the ANSI code page.
    std::string AsBytes() const override;
};

// Kinds the dataset layer names but this system never fills: they hold no readable value.
#define ORTAVO_OPAQUE_FIELD(Name, Type)                                                            \
    class Name : public TField {                                                                   \
    public:                                                                                        \
        explicit Name(TComponent* owner = nullptr) : TField(owner) { SetDataType(Type); }          \
        int DataSize() const override { return 0; }                                                \
    }
ORTAVO_OPAQUE_FIELD(TADTField, ftADT);
ORTAVO_OPAQUE_FIELD(TArrayField, ftArray);
ORTAVO_OPAQUE_FIELD(TReferenceField, ftReference);
ORTAVO_OPAQUE_FIELD(TDataSetField, ftDataSet);
ORTAVO_OPAQUE_FIELD(TVariantField, ftVariant);
ORTAVO_OPAQUE_FIELD(TInterfaceField, ftInterface);
ORTAVO_OPAQUE_FIELD(TIDispatchField, ftIDispatch);
#undef ORTAVO_OPAQUE_FIELD

class TGuidField : public TStringField {
public:
    explicit TGuidField(TComponent* owner = nullptr);
};

// The field class of a data type (the process-wide table); none for a type without one.
std::unique_ptr<TField> NewFieldOfType(TFieldType type);

} // namespace ortavo
