// Date texts read by a format of the letters d, m and y: positionally first, then by the
// regional date separator.
#pragma once

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/String.h"

namespace ortavo {

// Raises EConvertError "Invalid date" when neither reading accepts the text. An empty
// text is 30 December 1899 (0). Two-digit years fall in the hundred years that begin
// 60 years before the current year of the local clock.
TDateTime ParseDateByFormat(StringView format, StringView text);

// The same with the regional settings and the current year given.
TDateTime ParseDateByFormat(StringView format, StringView text, const FormatSettings& settings,
                            int currentYear);

// A year below 100 moved into the hundred years that begin 60 years before currentYear.
int WidenYear(int year, int currentYear);

} // namespace ortavo
