// Running the real program from a test: its arguments passed as the system passes them, some
// environment variables set, standard error folded into the output the test reads.
#pragma once

#include <string>
#include <vector>

namespace ortavo::testing {

struct ProgramResult {
    int Status = -1;
    std::string Out;
};

enum class TProgramOutput {
    Captured,  // standard output and error read together
    Unwritable // standard output fails every write (a full disk, a closed pipe); error read
};

// environment: "NAME=value" items set for the program on top of the test's own.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment,
                         TProgramOutput output = TProgramOutput::Captured);

} // namespace ortavo::testing
