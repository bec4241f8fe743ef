// The field classes' conversions and the table of field classes by data type.
#include "data/FieldClasses.h"

#include "base/Conversions.h"
#include "base/Encoding.h"
#include "base/Exception.h"
#include "data/DataSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace ortavo {

namespace {

// Days from 1 January of year 1 (day 1) to 30 December 1899, and milliseconds of a day.
constexpr double DateDelta = 693594;
constexpr double MSecsPerDay = 86400000.0;

} // namespace

TStringField::TStringField(TComponent* owner) : TField(owner) {
    SetDataType(ftString);
    SetSize(20);
}

String TStringField::AsString() const {
    String text;
    ReadText(text);
    return text;
}

bool TStringField::ReadText(String& text) const {
    text.assign(static_cast<std::size_t>(Size()) + 1, u'\0');
    if (!GetData(text.data())) {
        text.clear();
        return false;
    }
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return true;
}

std::int32_t TStringField::AsInteger() const {
    return StrToInt(AsString());
}
std::int64_t TStringField::AsLargeInt() const {
    return StrToInt64(AsString());
}
double TStringField::AsFloat() const {
    return StrToFloat(AsString());
}
Currency TStringField::AsCurrency() const {
    return StrToCurr(AsString());
}
TDateTime TStringField::AsDateTime() const {
    return StrToDateTime(AsString());
}
bool TStringField::AsBoolean() const {
    const String text = AsString();
    if (text.empty())
        return false;
    const char16_t first = CharUpperFull(text[0]);
    if (first == u'T' || first == u'Y')
        return true;
    if (first == u'F' || first == u'N')
        return false;
    throw EConvertError(u"'" + text + u"' is not a valid boolean value");
}
std::string TStringField::AsBytes() const {
    return Encoding::Ansi().Encode(AsString());
}

TWideStringField::TWideStringField(TComponent* owner) : TStringField(owner) {
    SetDataType(ftWideString);
}

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftInteger);
}
bool TIntegerField::ReadInteger(std::int32_t& value) const {
    return ReadValue(value);
}
std::int32_t TIntegerField::AsInteger() const {
    std::int32_t value = 0;
    return ReadInteger(value) ? value : 0;
}
String TIntegerField::AsString() const {
    std::int32_t value = 0;
    return ReadInteger(value) ? IntToStr(value) : String();
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
    SetDataType(ftSmallint);
}
bool TSmallintField::ReadInteger(std::int32_t& value) const {
    std::int16_t small = 0;
    const bool has = ReadValue(small);
    value = small;
    return has;
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner) {
    SetDataType(ftWord);
}
bool TWordField::ReadInteger(std::int32_t& value) const {
    std::uint16_t word = 0;
    const bool has = ReadValue(word);
    value = word;
    return has;
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) {
    SetDataType(ftAutoInc);
}

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftLargeint);
}
std::int64_t TLargeintField::AsLargeInt() const {
    std::int64_t value = 0;
    return ReadValue(value) ? value : 0;
}
std::int32_t TLargeintField::AsInteger() const {
    // Cutting to the low 32 bits would hand the caller another number.
    return Int64ToInt32(AsLargeInt());
}
String TLargeintField::AsString() const {
    std::int64_t value = 0;
    return ReadValue(value) ? IntToStr(value) : String();
}
Currency TLargeintField::AsCurrency() const {
    const std::int64_t value = AsLargeInt();
    if (value > std::numeric_limits<std::int64_t>::max() / CurrencyOne ||
        value < std::numeric_limits<std::int64_t>::min() / CurrencyOne)
        throw EConvertError(u"'" + IntToStr(value) + u"' is not a valid floating point value");
    return value * CurrencyOne;
}

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftFloat);
}
double TFloatField::AsFloat() const {
    double value = 0;
    return ReadValue(value) ? value : 0;
}
String TFloatField::AsString() const {
    double value = 0;
    return ReadValue(value) ? FloatToStr(value) : String();
}
std::int32_t TFloatField::AsInteger() const {
    return RoundToInt32(AsFloat());
}
std::int64_t TFloatField::AsLargeInt() const {
    return std::llround(AsFloat());
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
    SetDataType(ftCurrency);
}

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftBCD);
    SetSize(4);
}
Currency TBCDField::AsCurrency() const {
    Currency value = 0;
    return ReadCurrency(value) ? value : 0;
}
String TBCDField::AsString() const {
    Currency value = 0;
    return ReadCurrency(value) ? CurrToStr(value) : String();
}
double TBCDField::AsFloat() const {
    return static_cast<double>(AsCurrency()) / CurrencyOne;
}
std::int32_t TBCDField::AsInteger() const {
    return RoundToInt32(AsFloat());
}
std::int64_t TBCDField::AsLargeInt() const {
    return std::llround(AsFloat());
}

TFMTBCDField::TFMTBCDField(TComponent* owner) : TNumericField(owner) {
    SetDataType(ftFMTBcd);
    SetSize(8);
}
String TFMTBCDField::AsString() const {
    TBcd value;
    return AsBcd(value) ? BcdToStr(value) : String();
}
double TFMTBCDField::AsFloat() const {
    TBcd value;
    return AsBcd(value) ? BcdToDouble(value) : 0;
}
std::int32_t TFMTBCDField::AsInteger() const {
    return RoundToInt32(AsFloat());
}
std::int64_t TFMTBCDField::AsLargeInt() const {
    return std::llround(AsFloat());
}

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) {
    SetDataType(ftBoolean);
}
bool TBooleanField::AsBoolean() const {
    std::uint16_t value = 0;
    return ReadValue(value) && value != 0;
}
String TBooleanField::AsString() const {
    std::uint16_t value = 0;
    if (!ReadValue(value))
        return {};
    return value != 0 ? u"True" : u"False";
}

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) {
    SetDataType(ftDateTime);
}
bool TDateTimeField::ReadDateTime(TDateTime& value) const {
    double msecs = 0;
    if (!ReadValue(msecs))
        return false;
    // Day numbers (1 January of year 1 is day 1) times the milliseconds of a day, plus
    // the milliseconds of the time of day.
    const double days = std::floor(msecs / MSecsPerDay);
    const double rest = msecs - days * MSecsPerDay;
    const double date = days - DateDelta;
    value = date + (date < 0 ? -rest : rest) / MSecsPerDay;
    return true;
}
TDateTime TDateTimeField::AsDateTime() const {
    TDateTime value = 0;
    return ReadDateTime(value) ? value : 0;
}
String TDateTimeField::AsString() const {
    TDateTime value = 0;
    return ReadDateTime(value) ? DateTimeToStr(value) : String();
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) {
    SetDataType(ftDate);
}
bool TDateField::ReadDateTime(TDateTime& value) const {
    std::int32_t day = 0;
    if (!ReadValue(day))
        return false;
    value = day - DateDelta;
    return true;
}
String TDateField::AsString() const {
    TDateTime value = 0;
    return ReadDateTime(value) ? DateToStr(value) : String();
}

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) {
    SetDataType(ftTime);
}
bool TTimeField::ReadDateTime(TDateTime& value) const {
    std::int32_t msecs = 0;
    if (!ReadValue(msecs))
        return false;
    value = msecs / MSecsPerDay;
    return true;
}
String TTimeField::AsString() const {
    TDateTime value = 0;
    return ReadDateTime(value) ? TimeToStr(value) : String();
}

TSQLTimeStampField::TSQLTimeStampField(TComponent* owner) : TDateTimeField(owner) {
    SetDataType(ftTimeStamp);
}

TBytesField::TBytesField(TComponent* owner) : TField(owner) {
    SetDataType(ftBytes);
    SetSize(16);
}
std::string TBytesField::AsBytes() const {
    std::string bytes(static_cast<std::size_t>(DataSize()), '\0');
    if (!GetData(bytes.data()))
        return {};
    return bytes;
}
String TBytesField::AsString() const {
    return Encoding::Ansi().Decode(AsBytes());
}

TVarBytesField::TVarBytesField(TComponent* owner) : TBytesField(owner) {
    SetDataType(ftVarBytes);
}
std::string TVarBytesField::AsBytes() const {
    std::string buffer(static_cast<std::size_t>(DataSize()), '\0');
    if (!GetData(buffer.data()))
        return {};
    std::uint16_t length = 0;
    std::memcpy(&length, buffer.data(), sizeof length);
    return buffer.substr(2, std::min<std::size_t>(length, buffer.size() - 2));
}

TBlobField::TBlobField(TComponent* owner) : TField(owner) {
    SetDataType(ftBlob);
}
std::string TBlobField::AsBytes() const {
    // A blob's value is its whole content: the dataset hands it over as bytes.
    std::string bytes;
    if (!GetData(&bytes))
        return {};
    return bytes;
}
String TBlobField::AsString() const {
    return Encoding::Ansi().Decode(AsBytes());
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) {
    SetDataType(ftGraphic);
}

TWideMemoField::TWideMemoField(TComponent* owner) : TBlobField(owner) {
    SetDataType(ftWideMemo);
}
String TWideMemoField::AsString() const {
    // A text blob arrives decoded: the dataset writes its text as UTF-16 units.
    String text;
    if (!GetData(&text))
        return {};
    return text;
}

std::string TWideMemoField::AsBytes() const {
    return Encoding::Ansi().Encode(AsString());
}

TGuidField::TGuidField(TComponent* owner) : TStringField(owner) {
    SetDataType(ftGuid);
    SetSize(38);
}

std::unique_ptr<TField> NewFieldOfType(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar:
        return std::make_unique<TStringField>();
    case ftWideString:
        return std::make_unique<TWideStringField>();
    case ftSmallint:
        return std::make_unique<TSmallintField>();
    case ftInteger:
        return std::make_unique<TIntegerField>();
    case ftWord:
        return std::make_unique<TWordField>();
    case ftBoolean:
        return std::make_unique<TBooleanField>();
    case ftFloat:
        return std::make_unique<TFloatField>();
    case ftCurrency:
        return std::make_unique<TCurrencyField>();
    case ftBCD:
        return std::make_unique<TBCDField>();
    case ftDate:
        return std::make_unique<TDateField>();
    case ftTime:
        return std::make_unique<TTimeField>();
    case ftDateTime:
        return std::make_unique<TDateTimeField>();
    case ftBytes:
        return std::make_unique<TBytesField>();
    case ftVarBytes:
        return std::make_unique<TVarBytesField>();
    case ftAutoInc:
        return std::make_unique<TAutoIncField>();
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return std::make_unique<TBlobField>();
    case ftMemo:
    case ftWideMemo:
    case ftOraClob:
        return std::make_unique<TWideMemoField>();
    case ftGraphic:
        return std::make_unique<TGraphicField>();
    case ftLargeint:
        return std::make_unique<TLargeintField>();
    case ftADT:
        return std::make_unique<TADTField>();
    case ftArray:
        return std::make_unique<TArrayField>();
    case ftReference:
        return std::make_unique<TReferenceField>();
    case ftDataSet:
        return std::make_unique<TDataSetField>();
    case ftVariant:
        return std::make_unique<TVariantField>();
    case ftInterface:
        return std::make_unique<TInterfaceField>();
    case ftIDispatch:
        return std::make_unique<TIDispatchField>();
    case ftGuid:
        return std::make_unique<TGuidField>();
    case ftTimeStamp:
        return std::make_unique<TSQLTimeStampField>();
    case ftFMTBcd:
        return std::make_unique<TFMTBCDField>();
    default:
        return nullptr;
    }
}

} // namespace ortavo
