// The code pages: Windows-1252 and UTF-8/UTF-16 by hand (they sit on hot paths), the
// others through glibc's iconv.
#include "base/Encoding.h"

#include "base/Exception.h"

#include <array>
#include <cerrno>
#include <iconv.h>
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
    Windows1252() : Encoding(CP_WINDOWS1252) {
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

class Utf8Encoding final : public Encoding {
public:
    Utf8Encoding() : Encoding(CP_UTF8) {}
    String Decode(std::string_view bytes) const override { return FromUtf8(bytes); }
    std::string Encode(StringView text) const override { return ToUtf8(text); }
};

class Utf16Encoding final : public Encoding {
public:
    explicit Utf16Encoding(bool bigEndian)
        : Encoding(bigEndian ? CP_UTF16BE : CP_UTF16LE), FBig(bigEndian) {}

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

// Converts through iconv one character run at a time, replacing what does not convert.
class IconvEncoding final : public Encoding {
public:
    IconvEncoding(int codePage, const char* name) : Encoding(codePage), FName(name) {
        iconv_t probe = iconv_open("UTF-16LE", name);
        if (probe == reinterpret_cast<iconv_t>(-1))
            throw EEncodingError(u"No mapping for the code page " + IntToStr(codePage) +
                                 u" on this system");
        iconv_close(probe);
    }

    String Decode(std::string_view bytes) const override {
        std::string utf16 = Convert("UTF-16LE", FName, bytes, 1, "\xFD\xFF");
        String out(utf16.size() / 2, u'\0');
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                           static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
        return out;
    }

    std::string Encode(StringView text) const override {
        std::string utf16(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            utf16[2 * i] = static_cast<char>(text[i] & 0xFF);
            utf16[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
        return Convert(FName, "UTF-16LE", utf16, 2, "?");
    }

private:
    static std::string Convert(const char* to, const char* from, std::string_view input,
                               std::size_t skip, std::string_view replacement) {
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1))
            RaiseOSError(errno);
        std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
        std::string out;
        out.resize(input.size() * 4 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* dst = out.data();
        std::size_t outLeft = out.size();
        while (inLeft > 0) {
            if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                std::size_t used = out.size() - outLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                outLeft = out.size() - used;
                continue;
            }
            // An invalid or incomplete sequence: replace one unit and go on.
            std::size_t step = std::min(skip, inLeft);
            in += step;
            inLeft -= step;
            if (outLeft < replacement.size() + 8) {
                std::size_t used = out.size() - outLeft;
                out.resize(out.size() * 2 + replacement.size());
                dst = out.data() + used;
                outLeft = out.size() - used;
            }
            for (char c : replacement)
                *dst++ = c;
            outLeft -= replacement.size();
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(out.size() - outLeft);
        return out;
    }

    const char* FName;
};

const char* IconvName(int codePage) {
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 852:
        return "CP852";
    case 857:
        return "CP857";
    case 860:
        return "CP860";
    case 861:
        return "CP861";
    case 863:
        return "CP863";
    case 865:
        return "CP865";
    case 866:
        return "CP866";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 20127:
        return "ASCII";
    case 20932:
        return "EUC-JP";
    case 20936:
        return "GB2312";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    case 28605:
        return "ISO-8859-15";
    case 51932:
        return "EUC-JP";
    case 52936:
        // glibc has no HZ converter; what a GB_2312 database sends is EUC-CN, which is
        // the GB2312 converter.
        return "GB2312";
    default:
        return nullptr;
    }
}

} // namespace

const Encoding& Encoding::ForCodePage(int codePage) {
    static const Windows1252 win1252;
    static const Utf8Encoding utf8;
    static const Utf16Encoding utf16le(false), utf16be(true);
    switch (codePage) {
    case CP_WINDOWS1252:
        return win1252;
    case CP_UTF8:
        return utf8;
    case CP_UTF16LE:
        return utf16le;
    case CP_UTF16BE:
        return utf16be;
    default:
        break;
    }
    static std::mutex lock;
    static std::map<int, std::unique_ptr<IconvEncoding>> others;
    std::lock_guard guard(lock);
    auto& slot = others[codePage];
    if (!slot) {
        const char* name = IconvName(codePage);
        if (!name) {
            others.erase(codePage);
            throw EEncodingError(u"No mapping for the code page " + IntToStr(codePage) +
                                 u" on this system");
        }
        try {
            slot = std::make_unique<IconvEncoding>(codePage, name);
        } catch (...) {
            others.erase(codePage);
            throw;
        }
    }
    return *slot;
}

const Encoding& Encoding::Ansi() {
    return ForCodePage(CP_WINDOWS1252);
}

const Encoding& Encoding::Utf8() {
    return ForCodePage(CP_UTF8);
}

} // namespace ortavo
