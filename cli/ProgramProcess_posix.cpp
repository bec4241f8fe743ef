// The process on a POSIX system: arguments arrive as the bytes the shell passed (UTF-8).
#include "ProgramProcess.h"

#include <clocale>
#include <csignal>

namespace ortavo {

TProgramProcess::TProgramProcess(int argc, char** argv) : FArguments(argv + 1, argv + argc) {
    // The C library's locale from the environment, as the window's toolkit sets it.
    std::setlocale(LC_ALL, "");
    // A closed output is then a failed write, which every command reports as an error; the
    // signal would end it unreported (a run in the middle of a coupon).
    std::signal(SIGPIPE, SIG_IGN);
}

TProgramProcess::~TProgramProcess() = default;

} // namespace ortavo
