// The code pages: Windows-1252 and UTF-8/UTF-16 by hand (they sit on hot paths), the
// others through the system's converters.
#include "base/Encoding.h"

#include "base/CodePageConverter.h"
#include "base/Exception.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

namespace ortavo {

namespace {

// 0x80-0x9F of Windows-1252; the five undefined bytes map to the same-numbered control
// characters, as the platform's own decoder does.
constexpr std::array<char16_t, 32> kWin1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class Windows1252 final : public Encoding {
public:
    Windows1252() : Encoding(CodePageWindows1252) {
        for (int b = 0; b < 256; ++b)
            FDecode[b] = b >= 0x80 && b < 0xA0 ? kWin1252High[b - 0x80] : static_cast<char16_t>(b);
    }

    String Decode(std::string_view bytes) const override {
        String out;
        DecodeInto(bytes, out);
        return out;
    }

    void DecodeInto(std::string_view bytes, String& out) const override {
        out.resize(bytes.size());
        const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
        char16_t* dst = out.data();
        for (std::size_t i = 0, n = bytes.size(); i < n; ++i)
            dst[i] = FDecode[src[i]];
    }

    std::string Encode(StringView text) const override {
        std::string out(text.size(), '\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            out[i] = static_cast<char>(EncodeChar(text[i]));
        return out;
    }

private:
    static unsigned char EncodeChar(char16_t c) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            return static_cast<unsigned char>(c);
        for (int k = 0; k < 32; ++k)
            if (kWin1252High[k] == c)
                return static_cast<unsigned char>(0x80 + k);
        return '?';
    }

    std::array<char16_t, 256> FDecode{};
};

// US-ASCII: a byte above 127 is no character, as every system's converter agrees only here.
class AsciiEncoding final : public Encoding {
public:
    AsciiEncoding() : Encoding(CodePageAscii) {}

    String Decode(std::string_view bytes) const override {
        String out(bytes.size(), u'\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            out[i] = b < 0x80 ? static_cast<char16_t>(b) : u'\uFFFD';
        }
        return out;
    }

    std::string Encode(StringView text) const override {
        std::string out(text.size(), '?');
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] < 0x80)
                out[i] = static_cast<char>(text[i]);
        return out;
    }
};

class Utf8Encoding final : public Encoding {
public:
    Utf8Encoding() : Encoding(CodePageUtf8) {}
    String Decode(std::string_view bytes) const override { return FromUtf8(bytes); }
    std::string Encode(StringView text) const override { return ToUtf8(text); }
};

class Utf16Encoding final : public Encoding {
public:
    explicit Utf16Encoding(bool bigEndian)
        : Encoding(bigEndian ? CodePageUtf16BE : CodePageUtf16LE), FBig(bigEndian) {}

    String Decode(std::string_view bytes) const override {
        // An odd last byte is not a character.
        std::size_t n = bytes.size() / 2;
        String out(n + (bytes.size() % 2), u'\0');
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < n; ++i)
            out[i] = FBig ? static_cast<char16_t>(p[2 * i] << 8 | p[2 * i + 1])
                          : static_cast<char16_t>(p[2 * i + 1] << 8 | p[2 * i]);
        if (bytes.size() % 2)
            out[n] = 0xFFFD;
        return out;
    }

    std::string Encode(StringView text) const override {
        std::string out(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            auto hi = static_cast<char>(text[i] >> 8), lo = static_cast<char>(text[i] & 0xFF);
            out[2 * i] = FBig ? hi : lo;
            out[2 * i + 1] = FBig ? lo : hi;
        }
        return out;
    }

private:
    bool FBig;
};

} // namespace

const Encoding& Encoding::ForCodePage(int codePage) {
    static const Windows1252 win1252;
    static const Utf8Encoding utf8;
    static const Utf16Encoding utf16le(false), utf16be(true);
    static const AsciiEncoding ascii;
    switch (codePage) {
    case CodePageAscii:
        return ascii;
    case CodePageWindows1252:
        return win1252;
    case CodePageUtf8:
        return utf8;
    case CodePageUtf16LE:
        return utf16le;
    case CodePageUtf16BE:
        return utf16be;
    default:
        break;
    }
    static std::mutex lock;
    static std::map<int, std::unique_ptr<Encoding>> others;
    std::lock_guard guard(lock);
    auto found = others.find(codePage);
    if (found != others.end())
        return *found->second;
    std::unique_ptr<Encoding> converter = SystemCodePageEncoding(codePage);
    if (!converter)
        throw EEncodingError(u"No mapping for the code page " + IntToStr(codePage) +
                             u" on this system");
    return *others.emplace(codePage, std::move(converter)).first->second;
}

const Encoding& Encoding::Ansi() {
    return ForCodePage(CodePageWindows1252);
}

const Encoding& Encoding::Utf8() {
    return ForCodePage(CodePageUtf8);
}

} // namespace ortavo
