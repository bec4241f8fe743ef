// `ortavo-cli inspect`: the records of a fiscal file as a run would use them.
#pragma once

#include "base/MemoLines.h"

#include <ostream>

namespace ortavo {

enum InspectStatus {
    InspectAllRead = 0,
    InspectSomeLineFailed = 1,
    InspectUsage = 2,
    InspectNotCotepe = 3,
    InspectCannotOpen = 4,
};

// Writes one tab-separated UTF-8 line per record of the loaded lines to out; messages of
// a file that is no Ato Cotepe file go to err.
InspectStatus InspectLines(const TMemoLines& lines, std::ostream& out, std::ostream& err);

} // namespace ortavo
