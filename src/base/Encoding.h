// Code pages behind one type: a code page number in, decoding and encoding out.
#pragma once

#include "base/String.h"

#include <string>
#include <string_view>

namespace ortavo {

// Windows code page numbers, as the database layer's character-set table names them.
inline constexpr int CodePageUtf8 = 65001;
inline constexpr int CodePageUtf16LE = 1200;
inline constexpr int CodePageUtf16BE = 1201;
inline constexpr int CodePageWindows1252 = 1252;
inline constexpr int CodePageAscii = 20127;

class Encoding {
public:
    virtual ~Encoding() = default;

    // Encodings live for the whole process; the reference stays valid.
    // Raises EEncodingError for a code page this system cannot convert.
    static const Encoding& ForCodePage(int codePage);
    // The system's ANSI code page (Windows-1252), for data: a fiscal file without a
    // byte-order mark, the text of a connection without a character set. Names and
    // parameter texts for the client library are UTF-8 instead.
    static const Encoding& Ansi();
    static const Encoding& Utf8();

    int CodePage() const noexcept { return FCodePage; }

    // Bytes that do not form a character decode as U+FFFD; characters the code page lacks
    // encode as "?", as the platform's converters do.
    virtual String Decode(std::string_view bytes) const = 0;
    // The same into a text the caller keeps, so that decoding row after row can reuse its
    // room.
    virtual void DecodeInto(std::string_view bytes, String& out) const { out = Decode(bytes); }
    virtual std::string Encode(StringView text) const = 0;

protected:
    explicit Encoding(int codePage) : FCodePage(codePage) {}

private:
    int FCodePage;
};

} // namespace ortavo
