// Raw access to one XSQLVAR, and the conversions of TIBXSQLVAR between the system's values
// and the variable's SQL type.
#include "IBX/statements/IBXSQLVAR.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBIntf.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/statements/IBSQL.h"
#include "IBX/statements/IBValueText.h"
#include "IBX/statements/IBXSQLDA.h"
#include "base/Conversions.h"
#include "base/Encoding.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace ortavo {

namespace {

bool IsScaledInteger(int type) {
    return type == SQL_LONG || type == SQL_SHORT || type == SQL_INT64;
}

bool IsText(int type) {
    return type == SQL_TEXT || type == SQL_VARYING;
}

bool IsDateType(int type) {
    return type == SQL_TIMESTAMP || type == SQL_TYPE_DATE || type == SQL_TYPE_TIME;
}

[[noreturn]] void InvalidConversion() {
    RaiseClientError(ibxeInvalidDataConversion);
}

constexpr std::int64_t PowersOfTen[19] = {1LL,
                                          10LL,
                                          100LL,
                                          1000LL,
                                          10000LL,
                                          100000LL,
                                          1000000LL,
                                          10000000LL,
                                          100000000LL,
                                          1000000000LL,
                                          10000000000LL,
                                          100000000000LL,
                                          1000000000000LL,
                                          10000000000000LL,
                                          100000000000000LL,
                                          1000000000000000LL,
                                          10000000000000000LL,
                                          100000000000000000LL,
                                          1000000000000000000LL};

// Time of day in the client's unit (ten-thousandths of a second) from a date value's
// fraction, to the millisecond.
ISC_TIME TimeOfDay(TDateTime value) {
    int hour, minute, second, millisecond;
    DecodeTime(value, hour, minute, second, millisecond);
    return static_cast<ISC_TIME>(((hour * 60 + minute) * 60 + second) * 10000 + millisecond * 10);
}

std::tm CalendarRecord(TDateTime value, bool withTime) {
    std::tm record{};
    int year, month, day;
    // Before 1899-12-30 the day is the whole part toward zero; the fraction is the time.
    DecodeDate(std::trunc(value), year, month, day);
    record.tm_year = year - 1900;
    record.tm_mon = month - 1;
    record.tm_mday = day;
    if (withTime) {
        int hour, minute, second, millisecond;
        DecodeTime(value, hour, minute, second, millisecond);
        record.tm_hour = hour;
        record.tm_min = minute;
        record.tm_sec = second;
    }
    return record;
}

TDateTime DateOfRecord(const std::tm& record) {
    TDateTime date;
    if (!TryEncodeDate(record.tm_year + 1900, record.tm_mon + 1, record.tm_mday, date))
        InvalidConversion();
    return date;
}

// The decoders give whole seconds; the fraction the value carries is kept to the
// millisecond.
TDateTime TimeOfRecord(const std::tm& record, ISC_TIME time) {
    TDateTime value;
    if (!TryEncodeTime(record.tm_hour, record.tm_min, record.tm_sec,
                       static_cast<int>(time % 10000 / 10), value))
        InvalidConversion();
    return value;
}

} // namespace

// ---- TSQLVAR ----

void TSQLVAR::SetXSqlVar(XSQLVAR* value) noexcept {
    FXSQLVAR = value;
    if (!value)
        return;
    value->sqldata = FDataSize ? reinterpret_cast<char*>(FData.data()) : nullptr;
    value->sqlind = FHasInd ? &FInd : nullptr;
}

void TSQLVAR::SetDataSize(std::size_t size) {
    FData.resize((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    FDataSize = size;
    FXSQLVAR->sqldata = size ? reinterpret_cast<char*>(FData.data()) : nullptr;
}

void TSQLVAR::SetIndSize(std::size_t size) {
    FHasInd = size != 0;
    FXSQLVAR->sqlind = FHasInd ? &FInd : nullptr;
}

String TSQLVAR::ReadName(const ISC_SCHAR* name, ISC_SHORT length) const {
    const auto count =
        static_cast<std::size_t>(std::clamp<int>(length, 0, sizeof(XSQLVAR::sqlname)));
    const Encoding& encoding = FNameEncoding ? *FNameEncoding : Encoding::Ansi();
    return encoding.Decode(std::string_view(name, count));
}

void TSQLVAR::WriteName(StringView value, ISC_SCHAR* name, ISC_SHORT& length) const {
    const Encoding& encoding = FNameEncoding ? *FNameEncoding : Encoding::Ansi();
    const std::string bytes = encoding.Encode(value);
    const std::size_t count = std::min<std::size_t>(bytes.size(), sizeof(XSQLVAR::sqlname) - 1);
    std::memcpy(name, bytes.data(), count);
    name[count] = 0;
    length = static_cast<ISC_SHORT>(count);
}

String TSQLVAR::AliasName() const {
    return ReadName(FXSQLVAR->aliasname, FXSQLVAR->aliasname_length);
}
String TSQLVAR::OwnName() const {
    return ReadName(FXSQLVAR->ownname, FXSQLVAR->ownname_length);
}
String TSQLVAR::RelName() const {
    return ReadName(FXSQLVAR->relname, FXSQLVAR->relname_length);
}
String TSQLVAR::SqlName() const {
    return ReadName(FXSQLVAR->sqlname, FXSQLVAR->sqlname_length);
}
bool TSQLVAR::IsDbKey() const {
    // Most variables have no name at all; only a named one is worth decoding.
    if (FXSQLVAR->sqlname_length <= 0)
        return false;
    const String name = SqlName();
    return name == u"DB_KEY" || name == u"RDB$DB_KEY";
}
void TSQLVAR::SetAliasName(StringView value) {
    WriteName(value, FXSQLVAR->aliasname, FXSQLVAR->aliasname_length);
}
void TSQLVAR::SetOwnName(StringView value) {
    WriteName(value, FXSQLVAR->ownname, FXSQLVAR->ownname_length);
}
void TSQLVAR::SetRelName(StringView value) {
    WriteName(value, FXSQLVAR->relname, FXSQLVAR->relname_length);
}
void TSQLVAR::SetSqlName(StringView value) {
    WriteName(value, FXSQLVAR->sqlname, FXSQLVAR->sqlname_length);
}

// ---- TIBXSQLVAR: plumbing ----

TIBXSQLVAR::TIBXSQLVAR(TIBXSQLDA* parent, TIBSQL* query, int index)
    : FParent(parent), FSQL(query), FIndex(index) {}

int TIBXSQLVAR::Dialect() const noexcept {
    return FParent->Dialect();
}

const Encoding& TIBXSQLVAR::TextEncoding() const {
    TIBDatabase* database = FSQL ? FSQL->Database() : nullptr;
    return database ? database->Encoding() : Encoding::Ansi();
}

template <typename Visit> void TIBXSQLVAR::ForEachSameNamed(Visit&& visit) {
    if (FName.empty()) {
        visit(*this);
        return;
    }
    for (int i = 0; i < FParent->Count(); ++i) {
        TIBXSQLVAR& var = *FParent->Vars(i);
        if (&var == this || var.FName == FName)
            visit(var);
    }
}

int TIBXSQLVAR::CharSize() const {
    // The server's own table (RDB$CHARACTER_SETS.RDB$BYTES_PER_CHARACTER); the low byte is
    // the character set, the high byte the collation.
    switch (FXSQLVAR.SqlSubtype() & 0xFF) {
    case 3:
        return 3;
    case 4:
    case 69:
        return 4;
    case 5:
    case 6:
    case 44:
    case 56:
    case 57:
    case 67:
    case 68:
        return 2;
    default:
        return 1;
    }
}

int TIBXSQLVAR::DeclaredChars() const {
    // A connection without a character set receives a column's own bytes and decodes each
    // as one character: then every byte is part of the value.
    const TIBDatabase* database = FSQL ? FSQL->Database() : nullptr;
    if (!database || SameText(database->CharacterSet(), u"NONE") || CharSize() == 1)
        return 0;
    return FXSQLVAR.SqlLen() / CharSize();
}

void TrimFixedText(String& text, int declaredChars) {
    if (declaredChars <= 0)
        return;
    std::size_t characters = text.size();
    for (char16_t c : text)
        if (c >= 0xDC00 && c <= 0xDFFF)
            --characters;
    // The server fills a fixed text's buffer with blanks beyond the declared width; only
    // those go.
    while (characters > static_cast<std::size_t>(declaredChars) && !text.empty() &&
           text.back() == u' ') {
        text.pop_back();
        --characters;
    }
}

// ---- null handling ----

bool TIBXSQLVAR::IsNull() const noexcept {
    return IsNullable() && *FXSQLVAR.SqlInd() == -1;
}

void TIBXSQLVAR::SetIsNullable(bool value) {
    if (value == IsNullable())
        return;
    if (value) {
        FXSQLVAR.SetSqlType(FXSQLVAR.SqlType() | 1);
        FXSQLVAR.SetIndSize(sizeof(ISC_SHORT));
        *FXSQLVAR.SqlInd() = 0;
    } else {
        FXSQLVAR.SetSqlType(FXSQLVAR.SqlType() & ~1);
        FXSQLVAR.SetIndSize(0);
    }
}

void TIBXSQLVAR::SetIsNull(bool value) {
    if (value) {
        ForEachSameNamed([](TIBXSQLVAR& var) {
            var.SetIsNullable(true);
            *var.FXSQLVAR.SqlInd() = -1;
            var.FModified = true;
        });
    } else if (IsNullable()) {
        ForEachSameNamed([](TIBXSQLVAR& var) {
            if (var.IsNullable())
                *var.FXSQLVAR.SqlInd() = 0;
        });
    }
}

void TIBXSQLVAR::ClearNull() {
    if (IsNullable())
        SetIsNull(false);
}

// ---- setters ----

void TIBXSQLVAR::Retype(TIBXSQLVAR& var, int sqlType, int length, int scale, std::size_t size) {
    TSQLVAR& raw = var.FXSQLVAR;
    raw.SetSqlType(sqlType | (raw.SqlType() & 1));
    raw.SetSqlLen(length);
    raw.SetSqlScale(scale);
    raw.SetDataSize(size);
}

template <typename T> void TIBXSQLVAR::StoreFixed(int sqlType, int scale, T value) {
    ClearNull();
    ForEachSameNamed([&](TIBXSQLVAR& var) {
        Retype(var, sqlType, sizeof(T), scale, sizeof(T));
        std::memcpy(var.FXSQLVAR.SqlData(), &value, sizeof(T));
        var.FModified = true;
    });
}

void TIBXSQLVAR::SetAsLong(std::int32_t value) {
    StoreFixed<std::int32_t>(SQL_LONG, 0, value);
}

void TIBXSQLVAR::SetAsShort(std::int16_t value) {
    StoreFixed<std::int16_t>(SQL_SHORT, 0, value);
}

void TIBXSQLVAR::SetAsInt64(std::int64_t value) {
    StoreFixed<std::int64_t>(SQL_INT64, 0, value);
}

void TIBXSQLVAR::SetAsDouble(double value) {
    StoreFixed<double>(SQL_DOUBLE, 0, value);
}

void TIBXSQLVAR::SetAsFloat(float value) {
    StoreFixed<float>(SQL_FLOAT, 0, value);
}

void TIBXSQLVAR::SetAsCurrency(Currency value) {
    StoreFixed<std::int64_t>(SQL_INT64, -4, value);
}

void TIBXSQLVAR::SetAsBcd(StringView value) {
    std::int64_t unscaled;
    int scale;
    if (!ParseDecimal(value, unscaled, scale))
        InvalidConversion();
    StoreFixed<std::int64_t>(SQL_INT64, scale, unscaled);
}

void TIBXSQLVAR::SetAsBoolean(bool value) {
    StoreFixed<std::uint8_t>(SQL_BOOLEAN, 0, value ? 1 : 0);
}

void TIBXSQLVAR::SetAsQuad(ISC_QUAD value) {
    const int type = SQLType();
    StoreFixed<ISC_QUAD>(type == SQL_BLOB || type == SQL_ARRAY ? type : SQL_QUAD, 0, value);
}

void TIBXSQLVAR::SetAsDate(TDateTime value) {
    if (Dialect() < 3) {
        SetAsDateTime(value);
        return;
    }
    std::tm record = CalendarRecord(value, false);
    ISC_DATE date;
    FSQL->Library().isc_encode_sql_date(&record, &date);
    StoreFixed<ISC_DATE>(SQL_TYPE_DATE, 0, date);
}

void TIBXSQLVAR::SetAsTime(TDateTime value) {
    if (Dialect() < 3) {
        SetAsDateTime(value);
        return;
    }
    StoreFixed<ISC_TIME>(SQL_TYPE_TIME, 0, TimeOfDay(value));
}

void TIBXSQLVAR::SetAsDateTime(TDateTime value) {
    std::tm record = CalendarRecord(value, true);
    ISC_TIMESTAMP stamp;
    FSQL->Library().isc_encode_timestamp(&record, &stamp);
    stamp.timestamp_time = TimeOfDay(value);
    StoreFixed<ISC_TIMESTAMP>(SQL_TIMESTAMP, 0, stamp);
}

void TIBXSQLVAR::StoreText(const std::string& bytes) {
    // Checked on every same-named variable before any changes, so a refusal leaves all.
    ForEachSameNamed([&](TIBXSQLVAR& var) {
        const int limit = var.FMaxLen > 0 ? var.FMaxLen : std::numeric_limits<ISC_SHORT>::max();
        if (bytes.size() > static_cast<std::size_t>(limit))
            RaiseClientError(ibxeStringTooLarge, {static_cast<long long>(bytes.size()), limit});
    });
    ClearNull();
    ForEachSameNamed([&](TIBXSQLVAR& var) {
        TSQLVAR& raw = var.FXSQLVAR;
        if (raw.IsDbKey()) {
            const std::size_t count = std::min<std::size_t>(bytes.size(), raw.DataSize());
            std::memcpy(raw.SqlData(), bytes.data(), count);
        } else {
            Retype(var, SQL_TEXT, static_cast<int>(bytes.size()), 0, bytes.size() + 1);
            std::memcpy(raw.SqlData(), bytes.data(), bytes.size());
            raw.SqlData()[bytes.size()] = 0;
        }
        var.FModified = true;
    });
}

void TIBXSQLVAR::SetAsBytes(std::string_view value) {
    StoreText(std::string(value));
}

void TIBXSQLVAR::SetAsString(StringView value) {
    // By the described type: a parameter once given a text still takes an empty text as
    // null when the server expects a number.
    const int type = FDescribedType ? FDescribedType : SQLType();
    if (IsText(type)) {
        StoreText(TextEncoding().Encode(value));
    } else if (type == SQL_BLOB) {
        // Blob contents need the blob calls, which this layer does not offer.
        RaiseClientError(ibxeNotSupported);
    } else if (value.empty()) {
        SetIsNull(true);
    } else if (IsDateType(type)) {
        SetAsDateTime(TextToDateTime(value, CurrentFormatSettings()));
    } else {
        StoreText(Encoding::Ansi().Encode(value));
    }
}

// ---- getters ----

std::int64_t TIBXSQLVAR::ScaledInteger() const {
    const char* data = FXSQLVAR.SqlData();
    switch (SQLType()) {
    case SQL_SHORT: {
        std::int16_t v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    case SQL_LONG: {
        std::int32_t v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    default: {
        std::int64_t v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    }
}

double TIBXSQLVAR::FloatValue() const {
    if (SQLType() == SQL_FLOAT) {
        float v;
        std::memcpy(&v, FXSQLVAR.SqlData(), sizeof v);
        return v;
    }
    double v;
    std::memcpy(&v, FXSQLVAR.SqlData(), sizeof v);
    return v;
}

String TIBXSQLVAR::AsString() const {
    if (IsNull())
        return {};
    const int type = SQLType();
    const char* data = FXSQLVAR.SqlData();
    switch (type) {
    case SQL_TEXT: {
        String text = TextEncoding().Decode(std::string_view(data, FXSQLVAR.SqlLen()));
        TrimFixedText(text, DeclaredChars());
        return text;
    }
    case SQL_VARYING: {
        const auto length = static_cast<unsigned char>(data[0]) |
                            static_cast<unsigned>(static_cast<unsigned char>(data[1])) << 8;
        return TextEncoding().Decode(std::string_view(data + 2, length));
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return FormatScaled(ScaledInteger(), FXSQLVAR.SqlScale(),
                            CurrentFormatSettings().DecimalSeparator);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
    case SQL_FLOAT:
        return FormatFloatGeneral(FloatValue(), CurrentFormatSettings());
    case SQL_BOOLEAN:
        return AsBoolean() ? u"True" : u"False";
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIMESTAMP:
        return FormatDateTimeValue(AsDateTime(), type == SQL_TYPE_DATE, type == SQL_TYPE_TIME,
                                   CurrentFormatSettings());
    default:
        InvalidConversion();
    }
}

std::int32_t TIBXSQLVAR::AsLong() const {
    if (IsNull())
        return 0;
    const std::int64_t value =
        IsScaledInteger(SQLType()) ? TruncatedScaledInteger() : OtherInteger(false);
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        InvalidConversion();
    return static_cast<std::int32_t>(value);
}

std::int16_t TIBXSQLVAR::AsShort() const {
    const std::int32_t value = AsLong();
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        InvalidConversion();
    return static_cast<std::int16_t>(value);
}

std::int64_t TIBXSQLVAR::AsInt64() const {
    if (IsNull())
        return 0;
    return IsScaledInteger(SQLType()) ? TruncatedScaledInteger() : OtherInteger(true);
}

std::int64_t TIBXSQLVAR::TruncatedScaledInteger() const {
    const int scale = FXSQLVAR.SqlScale();
    const std::int64_t value = ScaledInteger();
    if (scale < 0)
        return scale < -18 ? 0 : value / PowersOfTen[-scale];
    std::int64_t scaled = 0;
    if (scale > 18 || __builtin_mul_overflow(value, PowersOfTen[scale], &scaled))
        InvalidConversion();
    return scaled;
}

std::int64_t TIBXSQLVAR::OtherInteger(bool wide) const {
    switch (SQLType()) {
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
    case SQL_FLOAT: {
        const double value = std::trunc(FloatValue());
        // 2^63 is the first double beyond the range.
        if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
            InvalidConversion();
        return static_cast<std::int64_t>(value);
    }
    case SQL_TEXT:
    case SQL_VARYING: {
        std::int64_t value;
        std::int32_t narrow;
        if (wide ? !TryStrToInt64(AsString(), value) : !TryStrToInt(AsString(), narrow))
            InvalidConversion();
        return wide ? value : narrow;
    }
    case SQL_BOOLEAN:
        return FXSQLVAR.SqlData()[0] != 0 ? 1 : 0;
    default:
        InvalidConversion();
    }
}

double TIBXSQLVAR::AsDouble() const {
    if (IsNull())
        return 0;
    const int type = SQLType();
    if (IsScaledInteger(type))
        return ScaledToDouble(ScaledInteger(), FXSQLVAR.SqlScale());
    switch (type) {
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
    case SQL_FLOAT:
        return FloatValue();
    case SQL_TEXT:
    case SQL_VARYING: {
        double value;
        if (!TryTextToFloat(AsString(), value, CurrentFormatSettings()))
            InvalidConversion();
        return value;
    }
    case SQL_BOOLEAN:
        return FXSQLVAR.SqlData()[0] != 0 ? 1 : 0;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIMESTAMP:
        return AsDateTime();
    default:
        InvalidConversion();
    }
}

float TIBXSQLVAR::AsFloat() const {
    return static_cast<float>(AsDouble());
}

Currency TIBXSQLVAR::AsCurrency() const {
    if (IsNull())
        return 0;
    const int type = SQLType();
    Currency value;
    if (Dialect() < 3) {
        if (!DoubleToCurrency(AsDouble(), value))
            InvalidConversion();
        return value;
    }
    if (IsScaledInteger(type)) {
        if (!ScaledToCurrency(ScaledInteger(), FXSQLVAR.SqlScale(), value))
            InvalidConversion();
        return value;
    }
    switch (type) {
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
    case SQL_FLOAT:
        if (!DoubleToCurrency(FloatValue(), value))
            InvalidConversion();
        return value;
    case SQL_TEXT:
    case SQL_VARYING:
        if (!TextToCurrency(AsString(), value, CurrentFormatSettings().DecimalSeparator))
            InvalidConversion();
        return value;
    default:
        InvalidConversion();
    }
}

String TIBXSQLVAR::AsBcd() const {
    if (IsNull())
        return {};
    if (IsScaledInteger(SQLType()))
        return FormatScaled(ScaledInteger(), FXSQLVAR.SqlScale(), u'.');
    FormatSettings settings;
    settings.DecimalSeparator = u'.';
    return FormatFloatGeneral(AsDouble(), settings);
}

TDateTime TIBXSQLVAR::AsDateTime() const {
    if (IsNull())
        return 0;
    const char* data = FXSQLVAR.SqlData();
    std::tm record{};
    switch (SQLType()) {
    case SQL_TYPE_DATE: {
        ISC_DATE date;
        std::memcpy(&date, data, sizeof date);
        FSQL->Library().isc_decode_sql_date(&date, &record);
        return DateOfRecord(record);
    }
    case SQL_TYPE_TIME: {
        ISC_TIME time;
        std::memcpy(&time, data, sizeof time);
        FSQL->Library().isc_decode_sql_time(&time, &record);
        return TimeOfRecord(record, time);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP stamp;
        std::memcpy(&stamp, data, sizeof stamp);
        FSQL->Library().isc_decode_timestamp(&stamp, &record);
        const TDateTime date = DateOfRecord(record);
        const TDateTime time = TimeOfRecord(record, stamp.timestamp_time);
        // Before 1899-12-30 the day count is negative and the time still adds forward.
        return date >= 0 ? date + time : date - time;
    }
    case SQL_TEXT:
    case SQL_VARYING:
        return TextToDateTime(AsString(), CurrentFormatSettings());
    default:
        InvalidConversion();
    }
}

TDateTime TIBXSQLVAR::AsDate() const {
    return AsDateTime();
}

TDateTime TIBXSQLVAR::AsTime() const {
    const TDateTime value = AsDateTime();
    return std::fabs(value - std::trunc(value));
}

bool TIBXSQLVAR::AsBoolean() const {
    if (IsNull())
        return false;
    if (SQLType() == SQL_BOOLEAN)
        return FXSQLVAR.SqlData()[0] != 0;
    return AsInt64() != 0;
}

std::string TIBXSQLVAR::AsBytes() const {
    if (IsNull())
        return {};
    const char* data = FXSQLVAR.SqlData();
    if (SQLType() == SQL_VARYING) {
        const auto length = static_cast<unsigned char>(data[0]) |
                            static_cast<unsigned>(static_cast<unsigned char>(data[1])) << 8;
        return std::string(data + 2, length);
    }
    return std::string(data, FXSQLVAR.SqlLen());
}

ISC_QUAD TIBXSQLVAR::AsQuad() const {
    ISC_QUAD quad{};
    if (IsNull())
        return quad;
    const int type = SQLType();
    if (type != SQL_BLOB && type != SQL_ARRAY && type != SQL_QUAD)
        InvalidConversion();
    std::memcpy(&quad, FXSQLVAR.SqlData(), sizeof quad);
    return quad;
}

} // namespace ortavo
