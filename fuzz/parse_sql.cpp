// The query's parameter markers: any text, parsed into a parameter list.
#include "FuzzInput.h"

#include "data/Params.h"

#include <algorithm>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const String sql = fuzz::Text(data, size);
    TParams params;
    const String parsed = params.ParseSQL(sql, true);
    // Each ":name" becomes one "?" and one parameter; "::" becomes ":".
    fuzz::Require(parsed.size() <= sql.size(), "the parsed text never grows");
    const auto markers = std::count(parsed.begin(), parsed.end(), u'?');
    fuzz::Require(params.Count() <= markers, "one parameter per marker at most");
    TParams unchanged;
    fuzz::Require(unchanged.ParseSQL(sql, false) == parsed && unchanged.Count() == 0,
                  "parsing without creating yields the same text and no parameters");
    return 0;
}
