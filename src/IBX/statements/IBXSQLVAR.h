// TSQLVAR reads and writes one client XSQLVAR and owns its buffers; TIBXSQLVAR converts
// between the system's values and the variable's SQL type.
#pragma once

#include "base/DateTime.h"
#include "base/String.h"

#include <ibase.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ortavo {

class Encoding;
class TIBSQL;
class TIBXSQLDA;

// A fixed-point number with four decimals, held as the value times 10000.
using Currency = std::int64_t;

// The platform's XSQLVAR (ibase.h, descriptor version 1: names of up to 32 bytes). The
// accessor owns the data buffer and the null indicator the variable points at, and
// re-points the variable whenever either is resized or the area moves.
class TSQLVAR {
public:
    TSQLVAR() = default;
    TSQLVAR(const TSQLVAR&) = delete;
    TSQLVAR& operator=(const TSQLVAR&) = delete;

    XSQLVAR* XSqlVar() const noexcept { return FXSQLVAR; }
    // Points the accessor at a variable and that variable at the owned buffers.
    void SetXSqlVar(XSQLVAR* value) noexcept;

    // Names are bytes of the connection's encoding; this decodes and encodes them.
    void SetNameEncoding(const Encoding* encoding) noexcept { FNameEncoding = encoding; }
    String AliasName() const;
    String OwnName() const;
    String RelName() const;
    String SqlName() const;
    // Whether the variable is a row's key, which takes bytes as they are.
    bool IsDbKey() const;
    void SetAliasName(StringView value);
    void SetOwnName(StringView value);
    void SetRelName(StringView value);
    void SetSqlName(StringView value);

    char* SqlData() const noexcept { return FXSQLVAR->sqldata; }
    short* SqlInd() const noexcept { return FXSQLVAR->sqlind; }
    int SqlLen() const noexcept { return static_cast<unsigned short>(FXSQLVAR->sqllen); }
    // Version 1 variables carry no precision.
    int SqlPrecision() const noexcept { return 0; }
    int SqlScale() const noexcept { return FXSQLVAR->sqlscale; }
    int SqlSubtype() const noexcept { return FXSQLVAR->sqlsubtype; }
    int SqlType() const noexcept { return FXSQLVAR->sqltype; }
    // The type without its null flag.
    int SqlDef() const noexcept { return FXSQLVAR->sqltype & ~1; }

    void SetSqlLen(int value) noexcept { FXSQLVAR->sqllen = static_cast<ISC_SHORT>(value); }
    void SetSqlPrecision(int) noexcept {}
    void SetSqlScale(int value) noexcept { FXSQLVAR->sqlscale = static_cast<ISC_SHORT>(value); }
    void SetSqlSubtype(int value) noexcept { FXSQLVAR->sqlsubtype = static_cast<ISC_SHORT>(value); }
    void SetSqlType(int value) noexcept { FXSQLVAR->sqltype = static_cast<ISC_SHORT>(value); }

    // Resizes the owned data buffer (contents up to the smaller size kept).
    void SetDataSize(std::size_t size);
    std::size_t DataSize() const noexcept { return FData.size(); }
    // 0 drops the indicator; any other size gives the variable a 2-byte indicator.
    void SetIndSize(std::size_t size);

private:
    String ReadName(const ISC_SCHAR* name, ISC_SHORT length) const;
    void WriteName(StringView value, ISC_SCHAR* name, ISC_SHORT& length) const;

    XSQLVAR* FXSQLVAR = nullptr;
    // A vector of 8-byte units keeps every value the server writes aligned.
    std::vector<std::uint64_t> FData;
    std::size_t FDataSize = 0;
    ISC_SHORT FInd = 0;
    bool FHasInd = false;
    const Encoding* FNameEncoding = nullptr;
};

// Ownership: a variable belongs to its area (TIBXSQLDA) and lives as long as it does.
// Every setter stores into all variables of the area registered under the same name.
class TIBXSQLVAR {
public:
    TIBXSQLVAR(TIBXSQLDA* parent, TIBSQL* query, int index);
    TIBXSQLVAR(const TIBXSQLVAR&) = delete;
    TIBXSQLVAR& operator=(const TIBXSQLVAR&) = delete;

    // The raw variable.
    TSQLVAR& Data() noexcept { return FXSQLVAR; }
    const TSQLVAR& Data() const noexcept { return FXSQLVAR; }
    TIBXSQLDA* Parent() const noexcept { return FParent; }

    String AsString() const;
    void SetAsString(StringView value);
    std::int32_t AsLong() const;
    void SetAsLong(std::int32_t value);
    std::int32_t AsInteger() const { return AsLong(); }
    void SetAsInteger(std::int32_t value) { SetAsLong(value); }
    std::int16_t AsShort() const;
    void SetAsShort(std::int16_t value);
    std::int64_t AsInt64() const;
    void SetAsInt64(std::int64_t value);
    double AsDouble() const;
    void SetAsDouble(double value);
    float AsFloat() const;
    void SetAsFloat(float value);
    // Value times 10000.
    Currency AsCurrency() const;
    void SetAsCurrency(Currency value);
    // Exact decimal text with "." as separator ("-12.3400").
    String AsBcd() const;
    void SetAsBcd(StringView value);
    TDateTime AsDate() const;
    void SetAsDate(TDateTime value);
    TDateTime AsTime() const;
    void SetAsTime(TDateTime value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    // The value's raw bytes (for text the bytes without the length word).
    std::string AsBytes() const;
    void SetAsBytes(std::string_view value);
    ISC_QUAD AsQuad() const;
    void SetAsQuad(ISC_QUAD value);

    bool IsNull() const noexcept;
    void SetIsNull(bool value);
    bool IsNullable() const noexcept { return (FXSQLVAR.SqlType() & 1) != 0; }
    void SetIsNullable(bool value);

    // The type without the null flag.
    int SQLType() const noexcept { return FXSQLVAR.SqlDef(); }
    int Size() const noexcept { return FXSQLVAR.SqlLen(); }
    const String& Name() const noexcept { return FName; }
    int Index() const noexcept { return FIndex; }
    bool Modified() const noexcept { return FModified; }
    void SetModified(bool value) noexcept { FModified = value; }
    // The described length of a text variable in bytes; 0 for other types.
    int MaxLen() const noexcept { return FMaxLen; }
    // Bytes per character of a text variable, from its character set.
    int CharSize() const;
    // The characters a fixed text declares, when the connection decodes the text in its
    // own character set; 0 when every byte the server sends is a character of the value.
    int DeclaredChars() const;

private:
    friend class TIBXSQLDA;

    int Dialect() const noexcept;
    const Encoding& TextEncoding() const;
    // The variables of the area registered under this one's name (this one included).
    template <typename Visit> void ForEachSameNamed(Visit&& visit);
    // Clears the null flag of the same-named variables when nullable; first step of
    // every setter.
    void ClearNull();
    // Rewrites a variable's type (null flag kept), length and scale and sizes its buffer.
    static void Retype(TIBXSQLVAR& var, int sqlType, int length, int scale, std::size_t size);
    template <typename T> void StoreFixed(int sqlType, int scale, T value);
    void StoreText(const std::string& bytes);
    std::int64_t ScaledInteger() const;
    // The scaled integer's value truncated toward zero; "Invalid data conversion" beyond
    // 64 bits.
    std::int64_t TruncatedScaledInteger() const;
    double FloatValue() const;
    // Integer of a variable that is not a scaled integer: floats truncated, texts parsed
    // (32-bit unless wide), booleans 0 or 1; "Invalid data conversion" otherwise.
    std::int64_t OtherInteger(bool wide) const;

    TIBXSQLDA* FParent;
    TIBSQL* FSQL;
    int FIndex;
    String FName;
    bool FModified = false;
    int FMaxLen = 0;
    // The type the server described, before any setter rewrote it.
    int FDescribedType = 0;
    TSQLVAR FXSQLVAR;
};

// Drops the blanks beyond declaredChars characters (not UTF-16 units) that the server pads
// a fixed text with; nothing else is ever cut. 0 keeps the text whole.
void TrimFixedText(String& text, int declaredChars);

} // namespace ortavo
