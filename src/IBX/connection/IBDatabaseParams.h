// The database parameter block: the table of parameter names and codes, the character sets a
// connection may name, and the building of the block from "name=value" lines.
#pragma once

#include "base/Encoding.h"
#include "base/String.h"
#include "base/Strings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ortavo {

// How a parameter's value is written after its code byte.
enum class TDPBParamClass {
    Unsupported, // known to the client API, refused by this layer
    Text,        // length byte, then the bytes in UTF-8
    Int32,       // 4, then four bytes, least significant first
    Int8,        // 1, then the least significant byte
    Int64,       // 8, then eight bytes, least significant first
    Sweep,       // 1, 2
    ZeroFlag,    // 1, 0
    BareCode,    // the code alone
};

inline constexpr int DatabaseParamCount = 88;
inline constexpr int isc_dpb_lc_ctype_code = 48;

// The parameter names, indexed by code - 1 (code 1 is "cdd_pathname", 88 "ods_version_major").
extern const char16_t* const DatabaseParamNames[DatabaseParamCount];

// The code of a parameter name without its "isc_dpb_" prefix, compared without regard to
// case; 0 when unknown.
int DatabaseParamCode(StringView name) noexcept;
TDPBParamClass DatabaseParamClass(int code) noexcept;

// The code page of a character set name compared without regard to case; the narrow system
// code page for NONE and for names the table does not hold.
int CharacterSetCodePage(StringView characterSet) noexcept;
// Whether the character-set table holds the name.
bool IsKnownCharacterSet(StringView characterSet) noexcept;
// The converter for text exchanged with a server using that character set. Raises
// EEncodingError when this system cannot convert its code page.
const Encoding& CharacterSetEncoding(StringView characterSet);

struct TDatabaseParamBlock {
    std::string DPB; // starts with isc_dpb_version1
    // Set when a line names lc_ctype (the last such line wins).
    bool NamesCharacterSet = false;
    String CharacterSet;
    int CharacterSetCodePage = 0;
    const Encoding* CharacterSetEncoding = nullptr;

    short Length() const noexcept { return static_cast<short>(DPB.size()); }
    const char* Data() const noexcept { return DPB.data(); }
};

// Builds the block from the lines. Text values go in UTF-8, the form the client library
// takes names and passwords in on this platform; a block whose texts are all ASCII holds
// exactly one item per line, and one with any other character ends with the item
// isc_dpb_utf8_filename (77, 0) that tells the client so, whatever the process locale. Raises
// EIBClientError 114 for an unknown name and 11 for a refused one (with the name as written),
// EConvertError for an integer value that is not one, and EIBClientError 119 (naming the parameter)
// for a text value too long for its length byte or a block too long for the attach call's 16-bit
// length.
TDatabaseParamBlock BuildDPB(const TStrings& params);

// One item of a block: its code and the bytes after its length byte (none for a bare code).
struct TDPBItem {
    int Code;
    std::string_view Value;
};

// The items of a block in order, walked by the codes' classes; nullopt when the bytes are no
// block (no version byte 1, or a length that runs past the end).
std::optional<std::vector<TDPBItem>> DPBItems(std::string_view dpb);

// The block the attach call gets for a database name in UTF-8: the block itself for a name
// of ASCII, otherwise the block with the isc_dpb_utf8_filename item (added once). Raises
// EIBClientError 119 when the item does not fit the 16-bit length.
std::string AttachDPB(const std::string& dpb, std::string_view name);

} // namespace ortavo
