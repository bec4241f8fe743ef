// TBcd: the 34-byte packed decimal of scaled values too fine for the currency type.
#pragma once

#include "base/FormatSettings.h"
#include "base/String.h"

#include <cstdint>

namespace ortavo {

// Precision (digits), sign bit and decimal places, then two digits a byte, high nibble
// first. Exact: values never pass through a double on their way to text.
struct TBcd {
    std::uint8_t Precision = 0;
    std::uint8_t SignSpecialPlaces = 0; // bit 7 sign, bits 0-5 decimal places
    std::uint8_t Fraction[32] = {};

    bool Negative() const noexcept { return (SignSpecialPlaces & 0x80) != 0; }
    int Places() const noexcept { return SignSpecialPlaces & 0x3F; }
};
static_assert(sizeof(TBcd) == 34);

// value × 10^scale, scale at most 0 and at least −63.
TBcd ScaledIntegerToBcd(std::int64_t value, int scale);
// The exact value, trailing fractional zeros and a bare separator dropped.
String BcdToStr(const TBcd& bcd, const FormatSettings& settings = CurrentFormatSettings());
double BcdToDouble(const TBcd& bcd);
// Raises EConvertError when the value is not a decimal number or has more than 32 digits.
TBcd StrToBcd(StringView text, const FormatSettings& settings = CurrentFormatSettings());

} // namespace ortavo
