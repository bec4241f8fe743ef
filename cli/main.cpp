// ortavo-cli: a headless front end on the code the window's run uses.
#include "FiscalListing.h"
#include "QueryListing.h"

#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: ortavo-cli inspect FILE\n"
    "       ortavo-cli query [--user NAME] [--password TEXT] [--charset NAME] DATABASE SELECT\n";

int Inspect(const char* file) {
    using namespace ortavo;
    TMemoLines lines;
    try {
        LoadFiscalFile(FromUtf8(file), lines);
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
    if (!ParseQueryArguments(std::vector<std::string>(argv + 2, argv + argc), options)) {
        std::cerr << Usage;
        return QueryUsage;
    }
    return RunQuery(options, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "inspect" && argc == 3)
        return Inspect(argv[2]);
    if (command == "query")
        return Query(argc, argv);
    std::cerr << Usage;
    return ortavo::InspectUsage;
}
