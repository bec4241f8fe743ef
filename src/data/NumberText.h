// How field and parameter values become text and back: the general float form, currency
// values (the value × 10000 in 64 bits) and the date texts.
#pragma once

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/String.h"

#include <cstdint>
#include <string>

namespace ortavo {

// A currency value: the number × 10000.
using Currency = std::int64_t;
inline constexpr Currency CurrencyOne = 10000;

// The general form with at most 15 significant digits: no grouping, trailing zeros
// dropped, the exponent form (1E20, 1.5E-7) below 0.0001 and from 1E15 on.
String FloatToStr(double value, const FormatSettings& settings = CurrentFormatSettings());
// The exact value with trailing fractional zeros and a bare separator dropped.
String CurrToStr(Currency value, const FormatSettings& settings = CurrentFormatSettings());
// The same texts in UTF-8, added to the end of out.
void AppendFloatText(double value, std::string& out,
                     const FormatSettings& settings = CurrentFormatSettings());
void AppendCurrText(Currency value, std::string& out,
                    const FormatSettings& settings = CurrentFormatSettings());
// An exact decimal text with at most four decimals; false for another form or overflow.
bool TryStrToCurr(StringView text, Currency& value,
                  const FormatSettings& settings = CurrentFormatSettings());
// Raises EConvertError "'%s' is not a valid floating point value".
Currency StrToCurr(StringView text, const FormatSettings& settings = CurrentFormatSettings());
// Rounds to the nearest currency value, halves away from zero; EConvertError on overflow.
Currency FloatToCurr(double value);
// Rounds halves away from zero; EConvertError when the result does not fit 32 bits.
std::int32_t RoundToInt32(double value);
// EConvertError when the value does not fit 32 bits.
std::int32_t Int64ToInt32(std::int64_t value);

// Day and time texts with the regional separators: dd/mm/yyyy, hh:mm:ss and both.
String DateToStr(TDateTime value, const FormatSettings& settings = CurrentFormatSettings());
String TimeToStr(TDateTime value, const FormatSettings& settings = CurrentFormatSettings());
String DateTimeToStr(TDateTime value, const FormatSettings& settings = CurrentFormatSettings());
// Reads dd/mm/yyyy, optionally followed by hh:mm[:ss[.zzz]], or a time alone; raises
// EConvertError "'%s' is not a valid date and time".
TDateTime StrToDateTime(StringView text, const FormatSettings& settings = CurrentFormatSettings());

} // namespace ortavo
