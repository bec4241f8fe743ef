// Running the program through the shell, its output on a pipe; /dev/full is the output that
// cannot be written.
#include "ProgramRun.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace ortavo::testing {

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, TProgramOutput output) {
    std::string command = "env";
    for (const std::string& item : environment)
        command += " " + Quoted(item);
    command += " " + Quoted(program);
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    command += " 2>&1";
    if (output == TProgramOutput::Unwritable)
        command += " >/dev/full";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    ProgramResult result;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        result.Out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace ortavo::testing
