// `ortavo-cli query`: the command line of the query listing.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

// args are the words after "query": "[--user NAME] [--password TEXT | --password-file FILE]
// [--charset NAME] DATABASE SELECT", options also as --option=value. Yields a QueryStatus.
int QueryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ortavo
