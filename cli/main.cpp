// ortavo-cli: a headless front end on the code the window's run uses.
#include "FiscalListing.h"
#include "PasswordFile.h"
#include "QueryListing.h"
#include "RestoreCommand.h"
#include "RunCommand.h"
#include "Usage.h"

#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"

#include <clocale>
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
    InspectStatus status = InspectLines(lines, std::cout, std::cerr);
    std::cout.flush();
    return status;
}

int Query(int argc, char** argv) {
    using namespace ortavo;
    QueryOptions options;
    if (!ParseQueryArguments(std::vector<std::string>(argv + 2, argv + argc), options))
        return UsageError(std::cerr, "query needs DATABASE and SELECT");
    if (!options.PasswordFile.empty()) {
        try {
            options.Password = FromUtf8(ReadPasswordFile(options.PasswordFile));
        } catch (const EPasswordFile& e) {
            std::cerr << "ortavo-cli: " << e.what() << '\n';
            return CliUsageStatus;
        }
    }
    return RunQuery(options, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    using namespace ortavo;
    // The C library's locale from the environment, as the window's toolkit sets it.
    std::setlocale(LC_ALL, "");
    std::ios::sync_with_stdio(false);
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
        return Query(argc, argv);
    if (command == "run")
        return RunCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    if (command == "restore")
        return RestoreCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                              std::cerr);
    return UsageError(std::cerr, ("unknown command " + std::string(command)).c_str());
}
