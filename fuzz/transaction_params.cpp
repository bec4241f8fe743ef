// The transaction parameter block built from any parameter lines.
#include "FuzzInput.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBTransactionParams.h"
#include "base/StringList.h"

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TStringList params;
    params.SetText(fuzz::Text(data, size));
    std::string tpb;
    try {
        tpb = BuildTPB(params);
    } catch (const EIBClientError&) {
        return 0; // an unknown or unsupported name, a table name too long
    }
    if (params.Count() == 0) {
        fuzz::Require(tpb.empty(), "no lines give no block");
        return 0;
    }
    // Version 3, then one item per non-blank line: a code, and for the two lock items a
    // length byte and the table name.
    fuzz::Require(!tpb.empty() && tpb[0] == 3, "a block starts with its version");
    std::size_t items = 0, at = 1;
    while (at < tpb.size()) {
        const int code = static_cast<unsigned char>(tpb[at++]);
        fuzz::Require(code >= 1 && code <= TransactionParamCount, "item codes are known");
        ++items;
        if (code == isc_tpb_lock_read || code == isc_tpb_lock_write) {
            fuzz::Require(at < tpb.size(), "a lock item has its length");
            const std::size_t length = static_cast<unsigned char>(tpb[at++]);
            fuzz::Require(length <= tpb.size() - at, "a lock item's name is inside the block");
            at += length;
        }
    }
    const std::size_t lines = fuzz::NonBlankLines(params);
    fuzz::Require(items == lines, "one item per non-blank line");
    return 0;
}
