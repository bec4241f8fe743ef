// The fiscal file as a run reads it: decoding by byte-order mark, the lines, and the inspect
// listing of the header and the coupons with their amounts and dates.
#include "FiscalListing.h"
#include "FuzzInput.h"

#include "base/MemoLines.h"
#include "reconciliation/FiscalFile.h"
#include "reconciliation/FiscalRecords.h"

#include <algorithm>
#include <sstream>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoLines lines;
    lines.SetText(DecodeFiscalText(fuzz::Bytes(data, size)));
    std::ostringstream out, err;
    const InspectStatus status = InspectLines(lines, out, err);
    if (status == InspectNotCotepe) {
        fuzz::Require(out.str().empty(), "a file that is no Ato Cotepe file lists nothing");
        return 0;
    }
    fuzz::Require(status == InspectAllRead || status == InspectSomeLineFailed,
                  "inspect ends with a listing status");
    // One listing line for the header and one per coupon record, whatever its fields hold.
    long coupons = 0;
    for (int i = 1; i < lines.Count(); ++i)
        coupons += IsRecord(lines.GetView(i), CouponRecord) ? 1 : 0;
    const std::string listing = out.str();
    fuzz::Require(std::count(listing.begin(), listing.end(), '\n') == 1 + coupons,
                  "one listing line per header and coupon");
    return 0;
}
