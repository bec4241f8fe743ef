// Code pages through glibc's iconv.
#include "base/CodePageConverter.h"

#include "base/Exception.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <memory>

namespace ortavo {

namespace {

// Converts through iconv one character run at a time, replacing what does not convert.
class IconvEncoding final : public Encoding {
public:
    IconvEncoding(int codePage, const char* name) : Encoding(codePage), FName(name) {}

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

std::unique_ptr<Encoding> SystemCodePageEncoding(int codePage) {
    const char* name = IconvName(codePage);
    if (!name)
        return nullptr;
    iconv_t probe = iconv_open("UTF-16LE", name);
    if (probe == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    iconv_close(probe);
    return std::make_unique<IconvEncoding>(codePage, name);
}

} // namespace ortavo
