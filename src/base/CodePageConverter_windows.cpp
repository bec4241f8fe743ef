// Code pages through the system's MultiByteToWideChar and WideCharToMultiByte.
#include "base/CodePageConverter.h"

#include "base/Exception.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace ortavo {

namespace {

// The system's number for a code page of the database layer's table; 0 for one not in it.
UINT TableCodePage(int codePage) {
    switch (codePage) {
    case 437:
    case 850:
    case 852:
    case 857:
    case 860:
    case 861:
    case 863:
    case 865:
    case 866:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1250:
    case 1251:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
    case 20932:
    case 20936:
    case 28591:
    case 28592:
    case 28605:
        return static_cast<UINT>(codePage);
    case 51932:
        // The system converts EUC-JP under the number of its JIS table.
        return 20932;
    case 52936:
        // What a GB_2312 database sends is EUC-CN, the system's GB2312 table, not HZ.
        return 20936;
    default:
        return 0;
    }
}

// The code page the system converts for one of the table, 0 when it has none. Systems
// without the GB2312 table read EUC-CN with GBK, which holds it with the same bytes.
UINT SystemCodePage(int codePage, CPINFO& info) {
    const UINT table = TableCodePage(codePage);
    if (table != 0 && GetCPInfo(table, &info))
        return table;
    if (table == 20936 && GetCPInfo(936, &info))
        return 936;
    return 0;
}

class WindowsCodePage final : public Encoding {
public:
    WindowsCodePage(int codePage, UINT system, UINT maxCharSize)
        : Encoding(codePage), FSystem(system), FMaxCharSize(maxCharSize) {}

    String Decode(std::string_view bytes) const override {
        if (bytes.empty())
            return {};
        if (bytes.size() <= INT_MAX) {
            const int size = static_cast<int>(bytes.size());
            const int n =
                MultiByteToWideChar(FSystem, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
            if (n > 0) {
                String out(static_cast<std::size_t>(n), u'\0');
                MultiByteToWideChar(FSystem, MB_ERR_INVALID_CHARS, bytes.data(), size,
                                    reinterpret_cast<wchar_t*>(out.data()), n);
                return out;
            }
        }
        return DecodeEachCharacter(bytes);
    }

    std::string Encode(StringView text) const override {
        std::string out;
        for (std::size_t done = 0; done < text.size();) {
            const int size =
                static_cast<int>(std::min<std::size_t>(text.size() - done, INT_MAX / 4));
            const auto* units = reinterpret_cast<const wchar_t*>(text.data() + done);
            const int n = WideCharToMultiByte(FSystem, WC_NO_BEST_FIT_CHARS, units, size, nullptr,
                                              0, "?", nullptr);
            if (n <= 0) {
                const DWORD error = GetLastError();
                RaiseOSError(static_cast<int>(error), WindowsErrorText(error));
            }
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(n));
            WideCharToMultiByte(FSystem, WC_NO_BEST_FIT_CHARS, units, size, out.data() + at, n, "?",
                                nullptr);
            done += static_cast<std::size_t>(size);
        }
        return out;
    }

private:
    // Character by character: the longest run up to the code page's character size that
    // forms one character, else U+FFFD for one byte.
    String DecodeEachCharacter(std::string_view bytes) const {
        String out;
        out.reserve(bytes.size());
        wchar_t units[4];
        for (std::size_t i = 0; i < bytes.size();) {
            int n = 0;
            UINT length = 1;
            for (; length <= FMaxCharSize && i + length <= bytes.size(); ++length) {
                n = MultiByteToWideChar(FSystem, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                        static_cast<int>(length), units, 4);
                if (n > 0)
                    break;
            }
            if (n > 0) {
                out.append(reinterpret_cast<const char16_t*>(units), static_cast<std::size_t>(n));
                i += length;
            } else {
                out.push_back(u'\xFFFD');
                ++i;
            }
        }
        return out;
    }

    UINT FSystem;
    UINT FMaxCharSize;
};

} // namespace

std::unique_ptr<Encoding> SystemCodePageEncoding(int codePage) {
    CPINFO info{};
    const UINT system = SystemCodePage(codePage, info);
    if (system == 0)
        return nullptr;
    return std::make_unique<WindowsCodePage>(codePage, system, info.MaxCharSize);
}

} // namespace ortavo
