// What the fuzz targets share: the input as text, split into parts, and the check that
// stops the run when a property fails.
#pragma once

#include "base/String.h"
#include "base/Strings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace ortavo::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input read as UTF-8 (what does not decode becomes U+FFFD).
inline String Text(const std::uint8_t* data, std::size_t size) {
    return FromUtf8(Bytes(data, size));
}

// The input cut at each zero byte, so one input can carry a pattern and its subject.
inline std::vector<std::string_view> Parts(std::string_view bytes, std::size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t zero = bytes.find('\0');
        if (zero == std::string_view::npos)
            break;
        parts.push_back(bytes.substr(0, zero));
        bytes.remove_prefix(zero + 1);
    }
    parts.push_back(bytes);
    parts.resize(count);
    return parts;
}

// The lines a parameter block gives an item for.
inline std::size_t NonBlankLines(const TStrings& lines) {
    std::size_t count = 0;
    for (int i = 0; i < lines.Count(); ++i)
        count += Trim(lines.Get(i)).empty() ? 0 : 1;
    return count;
}

// A property that does not hold is a finding: report it and abort, as a crash would.
inline void Require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

} // namespace ortavo::fuzz
