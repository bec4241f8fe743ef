// Message patterns: any pattern against a fixed set of text and integer arguments.
#include "FuzzInput.h"

#include "base/Exception.h"
#include "base/Format.h"

#include <climits>

using namespace ortavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const String pattern = fuzz::Text(data, size);
    try {
        const String message = Format(pattern, {u"text", 42, -7, u"", LLONG_MIN, 0xFFFFFFFFu});
        // Every placeholder takes at least two characters of the pattern and gives at most
        // the widest field.
        fuzz::Require(message.size() <= pattern.size() * 2048 + 64,
                      "a message is bounded by its pattern");
    } catch (const EConvertError&) {
        // A placeholder without an argument of its kind, or a width out of bounds.
    }
    return 0;
}
