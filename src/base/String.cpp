// UTF-8 conversion and text helpers.
#include "base/String.h"

#include "base/CharClass.h"

namespace ortavo {

std::string ToUtf8(StringView text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

void AppendUtf8(StringView text, std::string& out) {
    // Plain ASCII, the common case, needs no per-character appends.
    std::size_t at = out.size();
    out.resize(at + text.size());
    std::size_t i = 0;
    for (; i < text.size() && text[i] < 0x80; ++i)
        out[at++] = static_cast<char>(text[i]);
    out.resize(at);
    for (; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

String FromUtf8(std::string_view text) {
    String out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            out.push_back(b);
            ++p;
            continue;
        }
        int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
        if (b >= 0xF5 || extra < 0 || end - p <= extra) {
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        std::uint32_t c = b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[k] & 0x3F);
        }
        const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        p += extra + 1;
    }
    return out;
}

String FromAscii(std::string_view text) {
    return String(text.begin(), text.end());
}

String UpperCase(StringView text) {
    String out(text);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
    return out;
}

String LowerCase(StringView text) {
    String out(text);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return out;
}

bool SameText(StringView a, StringView b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z')
            y = static_cast<char16_t>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

char16_t CharUpperFull(char16_t c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    return UnicodeUpper(c);
}

bool SameTextFull(StringView a, StringView b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (CharUpperFull(a[i]) != CharUpperFull(b[i]))
            return false;
    return true;
}

String TrimLeft(StringView text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] <= u' ')
        ++i;
    return String(text.substr(i));
}

String TrimRight(StringView text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] <= u' ')
        --n;
    return String(text.substr(0, n));
}

String Trim(StringView text) {
    return TrimRight(TrimLeft(text));
}

bool IsBlank(StringView text) noexcept {
    for (const char16_t c : text)
        if (c > u' ')
            return false;
    return true;
}

String IntToStr(std::int64_t value) {
    return FromAscii(std::to_string(value));
}

} // namespace ortavo
