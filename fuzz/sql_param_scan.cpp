// The statement's parameter scan: any text, with and without generated names.
#include "FuzzInput.h"

#include "IBX/client/IB.h"
#include "IBX/statements/IBSQLParamScan.h"

#include <algorithm>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool generateNames = data[0] & 1;
    const String text = fuzz::Text(data + 1, size - 1);
    try {
        const TIBParamScan scan = ScanParams(text, generateNames);
        // A marker and its name become one "?": the text never grows, and every name
        // stands for one of its markers.
        fuzz::Require(scan.ProcessedSQL.size() <= text.size(), "the scanned text never grows");
        const auto markers = std::count(scan.ProcessedSQL.begin(), scan.ProcessedSQL.end(), u'?');
        fuzz::Require(scan.Names.size() <= static_cast<std::size_t>(markers),
                      "one name per marker at most");
    } catch (const EIBClientError&) {
        // "SQL Parse Error:" an unterminated comment or string, or a nameless marker.
    }
    return 0;
}
