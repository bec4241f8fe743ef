// ortavo-cli: a headless front end on the code the window's run uses.
#include "ConsoleText.h"
#include "FiscalListing.h"
#include "ProgramProcess.h"
#include "QueryCommand.h"
#include "RestoreCommand.h"
#include "RunCommand.h"
#include "Usage.h"

#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"

#include <iostream>
#include <string_view>
#include <vector>

namespace {

int Inspect(const std::vector<std::string>& args) {
    using namespace ortavo;
    if (args.size() != 2)
        return UsageError(std::cerr, "inspect needs FILE");
    TMemoLines lines;
    try {
        LoadFiscalFile(FromUtf8(args[1]), lines);
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
    const TProgramProcess process(argc, argv);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string>& args = process.Arguments();
    if (args.empty())
        return UsageError(std::cerr, "no command given");
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h") {
        WriteUsage(std::cout);
        return 0;
    }
    if (command == "--version") {
        WriteVersion(std::cout);
        return 0;
    }
    if (command == "inspect")
        return Inspect(args);
    const std::vector<std::string> options(args.begin() + 1, args.end());
    if (command == "query")
        return QueryCommand(options, std::cout, std::cerr);
    if (command == "run")
        return RunCommand(options, std::cout, std::cerr);
    if (command == "restore")
        return RestoreCommand(options, std::cout, std::cerr);
    return UsageError(std::cerr, ("unknown command " + std::string(command)).c_str());
}
