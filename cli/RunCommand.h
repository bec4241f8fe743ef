// `ortavo-cli run`: the window's reconciliation run without the window, for IT staff and
// scheduled jobs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

enum RunStatus {
    RunCompleted = 0,   // the run ended with "Concluído"
    RunFailed = 1,      // an exception ended it (the error box's case)
    RunUsage = 2,       // wrong usage
    RunEndedByRule = 3, // no connection, file missing, company not found, not a 17/04 file
};

// args are the words after "run". Log lines go to out, each as the log shows it and ended
// by LF, flushed as written; notices, errors and the reason of a refused connection to err,
// and last, when the run reached the coupons, the summary of their outcomes.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ortavo
