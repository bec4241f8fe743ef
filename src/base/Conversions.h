// Number texts: reading decimal and integer numbers and writing the two-decimal form,
// by the regional settings.
#pragma once

#include "base/FormatSettings.h"
#include "base/String.h"

#include <cstdint>

namespace ortavo {

// Blanks, optional sign, digits, optional decimal separator and digits, optional exponent,
// blanks; false when the text has another form or the number overflows a double.
bool TryTextToFloat(StringView text, double& value, const FormatSettings& settings);

// Raises EConvertError "'%s' is not a valid floating point value" with the whole text.
double StrToFloat(StringView text, const FormatSettings& settings = CurrentFormatSettings());

// Optional blanks and sign, then decimal digits or hexadecimal digits after "$", "x", "X",
// "0x" or "0X", and nothing after them.
bool TryStrToInt(StringView text, std::int32_t& value);
bool TryStrToInt64(StringView text, std::int64_t& value);
// Raise EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(StringView text);
std::int64_t StrToInt64(StringView text);

// The pattern "0.00": 18 significant digits, rounded at the second decimal with halves
// away from zero, no grouping.
String FormatTwoDecimals(double value, const FormatSettings& settings = CurrentFormatSettings());

} // namespace ortavo
