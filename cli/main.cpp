// ortavo-cli: a headless front end on the code the window's run uses.
#include "FiscalListing.h"

#include "base/Exception.h"
#include "reconciliation/FiscalFile.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    using namespace ortavo;
    if (argc != 3 || std::string_view(argv[1]) != "inspect") {
        std::cerr << "usage: ortavo-cli inspect FILE\n";
        return InspectUsage;
    }
    TMemoLines lines;
    try {
        LoadFiscalFile(FromUtf8(argv[2]), lines);
    } catch (const Exception& e) {
        std::cerr << e.what() << '\n';
        return InspectCannotOpen;
    }
    std::ios::sync_with_stdio(false);
    InspectStatus status = InspectLines(lines, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
