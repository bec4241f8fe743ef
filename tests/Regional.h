// Regional settings pinned by tests instead of read from the machine.
#pragma once

#include "base/FormatSettings.h"

namespace ortavo::testing {

inline FormatSettings WithDecimalSeparator(char16_t separator) {
    FormatSettings settings;
    settings.DecimalSeparator = separator;
    return settings;
}

} // namespace ortavo::testing
