// Date texts read by a format: format, text and regional date separator from the input.
#include "FuzzInput.h"

#include "base/DateTime.h"
#include "base/Exception.h"
#include "reconciliation/ParseDateByFormat.h"

#include <cmath>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 3);
    FormatSettings settings;
    if (!parts[2].empty())
        settings.DateSeparator = static_cast<char16_t>(static_cast<unsigned char>(parts[2][0]));
    try {
        const TDateTime date =
            ParseDateByFormat(FromUtf8(parts[0]), FromUtf8(parts[1]), settings, 2024);
        fuzz::Require(std::isfinite(date), "a date read is a finite day count");
        int year = 0, month = 0, day = 0;
        DecodeDate(date, year, month, day);
        fuzz::Require(IsValidDate(year, month, day), "a date read is a valid calendar date");
    } catch (const EConvertError&) {
        // "Invalid date": the text does not follow the format.
    }
    return 0;
}
