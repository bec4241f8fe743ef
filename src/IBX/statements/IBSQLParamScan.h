// The parameter scan of a statement text: named markers become "?" and their names are
// collected in marker order.
#pragma once

#include "base/String.h"

#include <vector>

namespace ortavo {

struct TIBParamScan {
    String ProcessedSQL;
    std::vector<String> Names;
};

// Raises client error "SQL Parse Error:" with the failure's text for an unterminated
// comment or string, or a nameless marker when names are not generated.
TIBParamScan ScanParams(StringView text, bool generateParamNames);

} // namespace ortavo
