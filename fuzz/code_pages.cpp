// The code-page conversions: the first byte picks the code page, the rest is decoded as
// bytes and encoded as UTF-16 text.
#include "FuzzInput.h"

#include "base/Encoding.h"

#include <iterator>

using namespace ortavo;

namespace {

constexpr int CodePages[] = {CodePageWindows1252,
                             CodePageUtf8,
                             CodePageUtf16LE,
                             CodePageUtf16BE,
                             1250,
                             1251,
                             1253,
                             1254,
                             437,
                             850,
                             932,
                             949,
                             20127,
                             20932,
                             20936,
                             28591,
                             52936};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int codePage = CodePages[data[0] % std::size(CodePages)];
    const Encoding& encoding = Encoding::ForCodePage(codePage);
    const std::string_view bytes = fuzz::Bytes(data + 1, size - 1);

    const String decoded = encoding.Decode(bytes);
    const std::string encoded = encoding.Encode(decoded);
    // Every byte is a character in Windows-1252 and every pair one in UTF-16: both come back.
    if (codePage == CodePageWindows1252 ||
        ((codePage == CodePageUtf16LE || codePage == CodePageUtf16BE) && bytes.size() % 2 == 0))
        fuzz::Require(encoded == bytes, "the bytes come back unchanged");
    if (codePage == CodePageUtf8)
        fuzz::Require(encoding.Decode(encoded) == decoded, "decoded UTF-8 text comes back");

    // The same bytes as UTF-16 text, lone surrogates and all, encoded.
    String text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    (void)encoding.Decode(encoding.Encode(text));
    return 0;
}
