// ortavo-cli: a headless front end on the code the window's run uses.
#include "ConsoleText.h"
#include "FiscalListing.h"
#include "QueryCommand.h"
#include "RestoreCommand.h"
#include "RunCommand.h"
#include "Usage.h"

#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"

#include <clocale>
#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

int Inspect(int argc, char** argv) {
    using namespace ortavo;
    if (argc != 3)
        return UsageError(std::cerr, "inspect needs FILE");
    TMemoLines lines;
    try {
        LoadFiscalFile(FromUtf8(argv[2]), lines);
    } catch (const Exception& e) {
        std::cerr << e.what() << '\n';
        return InspectCannotOpen;
    }
    try {
        const InspectStatus status = InspectLines(lines, std::cout, std::cerr);
        std::cout.flush();
        CheckWritten(std::cout, u"standard output");
        return status;
    } catch (const Exception& e) {
        WriteError(std::cerr, e);
        return InspectSomeLineFailed;
    }
}

} // namespace

int main(int argc, char** argv) {
    using namespace ortavo;
    // The C library's locale from the environment, as the window's toolkit sets it.
    std::setlocale(LC_ALL, "");
    std::ios::sync_with_stdio(false);
    // A closed output is then a failed write, which every command reports as an error; the
    // signal would end it unreported (a run in the middle of a coupon).
    std::signal(SIGPIPE, SIG_IGN);
    if (argc < 2)
        return UsageError(std::cerr, "no command given");
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") {
        WriteUsage(std::cout);
        return 0;
    }
    if (command == "--version") {
        WriteVersion(std::cout);
        return 0;
    }
    if (command == "inspect")
        return Inspect(argc, argv);
    if (command == "query")
        return QueryCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (command == "run")
        return RunCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (command == "restore")
        return RestoreCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                              std::cerr);
    return UsageError(std::cerr, ("unknown command " + std::string(command)).c_str());
}
