// Integer and decimal number texts, as the fiscal file's amounts and the parameter blocks'
// integer values are read.
#include "FuzzInput.h"

#include "base/Conversions.h"
#include "base/Exception.h"

#include <cmath>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const String text = fuzz::Text(data, size);

    std::int32_t int32 = 0;
    std::int64_t int64 = 0;
    const bool isInt32 = TryStrToInt(text, int32);
    const bool isInt64 = TryStrToInt64(text, int64);
    // Hexadecimal texts wrap at their own width; decimal ones read alike at both widths.
    if (isInt32 && text.find_first_of(u"$xX") == String::npos)
        fuzz::Require(isInt64 && int64 == int32, "a 32-bit decimal reads the same at 64 bits");
    try {
        fuzz::Require(StrToInt(text) == int32 && isInt32, "StrToInt agrees with TryStrToInt");
    } catch (const EConvertError&) {
        fuzz::Require(!isInt32, "StrToInt refuses only what TryStrToInt refuses");
    }

    FormatSettings settings;
    settings.DecimalSeparator = size > 0 && (data[0] & 1) ? u',' : u'.';
    double value = 0;
    const bool isFloat = TryTextToFloat(text, value, settings);
    fuzz::Require(!isFloat || std::isfinite(value), "a number read is finite");
    try {
        const double again = StrToFloat(text, settings);
        fuzz::Require(isFloat && (again == value || (std::isnan(again) && std::isnan(value))),
                      "StrToFloat agrees with TryTextToFloat");
    } catch (const EConvertError&) {
        fuzz::Require(!isFloat, "StrToFloat refuses only what TryTextToFloat refuses");
    }
    return 0;
}
