// `ortavo-cli restore`: puts back the sales a run overwrote, from the run's journal.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

enum RestoreStatus {
    RestoreDone = 0,     // every selected sale restored or unchanged
    RestoreFailed = 1,   // an error: the journal, the connection, the database
    RestoreUsage = 2,    // wrong usage
    RestoreNoRows = 3,   // no row for the database (or for the run asked for)
    RestoreLeftSome = 4, // some sale in conflict or missing; the others restored
};

// args are the words after "restore". One line per sale on out, flushed as written; the
// summary, notices and errors on err.
int RestoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ortavo
