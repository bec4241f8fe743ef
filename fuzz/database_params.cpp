// The database parameter block built from any parameter lines, and the block the attach
// call gets for a database name.
#include "FuzzInput.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBDatabaseParams.h"
#include "base/StringList.h"

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 2);
    TStringList params;
    params.SetText(FromUtf8(parts[0]));
    TDatabaseParamBlock block;
    try {
        block = BuildDPB(params);
    } catch (const EIBClientError&) {
        return 0; // an unknown or refused name, a value too long
    } catch (const EConvertError&) {
        return 0; // an integer value that is none
    }
    // The block walks item by item: one per non-blank line, and the UTF-8 mark at the end
    // when it holds a text beyond ASCII.
    const auto items = DPBItems(block.DPB);
    fuzz::Require(items.has_value(), "a built block walks item by item");
    const std::size_t lines = fuzz::NonBlankLines(params);
    fuzz::Require(items->size() == lines ||
                      (items->size() == lines + 1 && items->back().Code == isc_dpb_utf8_filename),
                  "one item per non-blank line");
    for (const TDPBItem& item : *items)
        if (DatabaseParamClass(item.Code) == TDPBParamClass::Text)
            fuzz::Require(ToUtf8(FromUtf8(item.Value)) == item.Value, "text values are UTF-8");

    const std::string name(parts[1]);
    try {
        const auto attach = DPBItems(AttachDPB(block.DPB, name));
        fuzz::Require(attach.has_value(), "the attach block walks item by item");
    } catch (const EIBClientError&) {
        // The mark did not fit the 16-bit length.
    }
    return 0;
}
