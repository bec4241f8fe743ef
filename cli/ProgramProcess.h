// The process as the commands see it: their arguments in UTF-8, the C library's locale from
// the environment, and standard output and error taking the bytes the commands write as
// they are.
#pragma once

#include <string>
#include <vector>

namespace ortavo {

class TProgramProcess {
public:
    TProgramProcess(int argc, char** argv);
    ~TProgramProcess();
    TProgramProcess(const TProgramProcess&) = delete;
    TProgramProcess& operator=(const TProgramProcess&) = delete;

    // The command line after the program's name.
    const std::vector<std::string>& Arguments() const { return FArguments; }

private:
    std::vector<std::string> FArguments;
    unsigned FConsoleCodePage = 0; // the console's output code page before, where it was changed
};

} // namespace ortavo
