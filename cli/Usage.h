// What ortavo-cli says about its commands: the usage text and the version.
#pragma once

#include <ostream>

namespace ortavo {

// Exit code of a wrong command line.
inline constexpr int CliUsageStatus = 2;

// Every command with its options, one per line.
void WriteUsage(std::ostream& out);
void WriteVersion(std::ostream& out);

// The usage on err after one line saying what was wrong; yields CliUsageStatus.
int UsageError(std::ostream& err, const char* what);

} // namespace ortavo
