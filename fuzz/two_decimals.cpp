// The two-decimal form of amounts: any double, either decimal separator.
#include "FuzzInput.h"

#include "base/Conversions.h"

#include <cmath>
#include <cstring>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double value = 0;
    if (size < sizeof value)
        return 0;
    std::memcpy(&value, data, sizeof value);
    FormatSettings settings;
    settings.DecimalSeparator = size > sizeof value && (data[sizeof value] & 1) ? u',' : u'.';
    const String text = FormatTwoDecimals(value, settings);
    if (!std::isfinite(value))
        return 0;
    // The text reads back within half a cent, give or take the 18 significant digits kept.
    double back = 0;
    fuzz::Require(TryTextToFloat(text, back, settings), "the two-decimal text reads back");
    fuzz::Require(std::fabs(back - value) <= 0.005 * (1 + 1e-9) + std::fabs(value) * 1e-15,
                  "the two-decimal text is within half a cent");
    return 0;
}
