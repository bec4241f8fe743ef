// The process on Windows: the command line is read in UTF-16 (argv holds it in the ANSI code
// page, which cannot spell every file name), output goes out in binary mode, so the commands'
// UTF-8 and LF line ends reach a file or a pipe byte for byte as on Linux, and a console is
// told to show UTF-8 for as long as the command runs. A closed pipe is a failed write there
// already: Windows has no SIGPIPE.
#include "ProgramProcess.h"

#include "base/String.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <clocale>
#include <cstdio>
#include <iostream>
#include <memory>

namespace ortavo {

TProgramProcess::TProgramProcess(int argc, char** argv) {
    int count = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> wide(
        CommandLineToArgvW(GetCommandLineW(), &count), LocalFree);
    if (wide)
        for (int i = 1; i < count; ++i)
            FArguments.push_back(ToUtf8(reinterpret_cast<const char16_t*>(wide.get()[i])));
    else
        FArguments.assign(argv + 1, argv + argc);

    std::setlocale(LC_ALL, "");
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (GetConsoleOutputCP() != CP_UTF8) {
        const UINT previous = GetConsoleOutputCP();
        if (previous != 0 && SetConsoleOutputCP(CP_UTF8))
            FConsoleCodePage = previous;
    }
}

TProgramProcess::~TProgramProcess() {
    // What the commands left in the streams' buffers goes out while the console still
    // shows UTF-8.
    std::cout.flush();
    std::cerr.flush();
    if (FConsoleCodePage != 0)
        SetConsoleOutputCP(FConsoleCodePage);
}

} // namespace ortavo
