// The number and date conversions of column and parameter values: scaled integers to
// doubles and currency, decimal texts, and date texts by the regional settings.
#pragma once

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/String.h"

#include <cstdint>

namespace ortavo {

// value x 10^scale: exact quotient rounded to 15 significant digits and -scale decimals,
// as the decimal text of that many digits reads back.
double ScaledToDouble(std::int64_t value, int scale);

// value x 10^scale as currency (x 10000), through its decimal text: the integer part, the
// remainder padded to -scale digits, rounded to four decimals. False on overflow.
bool ScaledToCurrency(std::int64_t value, int scale, std::int64_t& currency);
// Rounded to the nearest, halves away from zero. False outside the currency range.
bool DoubleToCurrency(double value, std::int64_t& currency);
// Blanks, sign, digits, the decimal separator and digits; rounded to four decimals.
bool TextToCurrency(StringView text, std::int64_t& currency, char16_t decimalSeparator);

// Optional sign, digits, "." and digits, at most 18 digits in all.
bool ParseDecimal(StringView text, std::int64_t& unscaled, int& scale);
// "-0.05" for -5 at scale -2; trailing zeros for a positive scale.
String FormatScaled(std::int64_t value, int scale, char16_t decimalSeparator);
// The shortest of up to 15 significant digits.
String FormatFloatGeneral(double value, const FormatSettings& settings);

// Day, month and year by the date separator, optionally followed by hours, minutes and
// seconds by the time separator; or a time alone. Raises EConvertError
// "'%s' is not a valid date and time".
TDateTime TextToDateTime(StringView text, const FormatSettings& settings);
// dd/mm/yyyy, hh:nn:ss or both, with the regional separators.
String FormatDateTimeValue(TDateTime value, bool dateOnly, bool timeOnly,
                           const FormatSettings& settings);

} // namespace ortavo
