// Placeholder formatting for messages.
#include "base/Format.h"

#include "base/Exception.h"

#include <vector>

namespace ortavo {

namespace {

[[noreturn]] void FormatError(StringView pattern) {
    throw EConvertError(u"Format '" + String(pattern) + u"' invalid or incompatible with argument");
}

// Widths and precisions pad a message's piece; one beyond this asks for more memory than a
// message could want (a 12-character pattern could ask for gigabytes) and is refused.
constexpr int MaxFieldWidth = 4096;

// Reads the digits at i into a width or precision, refusing one beyond MaxFieldWidth before
// it could overflow.
int ReadFieldWidth(StringView pattern, std::size_t& i) {
    int value = 0;
    while (i < pattern.size() && pattern[i] >= u'0' && pattern[i] <= u'9') {
        value = value * 10 + (pattern[i++] - u'0');
        if (value > MaxFieldWidth)
            FormatError(pattern);
    }
    return value;
}

String Pad(String text, int width, bool left) {
    if (width > 0 && static_cast<int>(text.size()) < width) {
        String blanks(static_cast<std::size_t>(width) - text.size(), u' ');
        text = left ? text + blanks : blanks + text;
    }
    return text;
}

} // namespace

String Format(StringView pattern, std::initializer_list<FormatArg> args) {
    std::vector<const FormatArg*> list;
    for (const auto& a : args)
        list.push_back(&a);
    String out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c != u'%') {
            out.push_back(c);
            continue;
        }
        if (++i >= pattern.size())
            FormatError(pattern);
        if (pattern[i] == u'%') {
            out.push_back(u'%');
            continue;
        }
        bool left = false;
        if (pattern[i] == u'-') {
            left = true;
            ++i;
        }
        const int width = ReadFieldWidth(pattern, i);
        int precision = -1;
        if (i < pattern.size() && pattern[i] == u'.') {
            ++i;
            precision = ReadFieldWidth(pattern, i);
        }
        if (i >= pattern.size() || next >= list.size())
            FormatError(pattern);
        const FormatArg& arg = *list[next++];
        String piece;
        switch (pattern[i]) {
        case u's':
        case u'S':
            if (!arg.IsText())
                FormatError(pattern);
            piece = precision >= 0 ? arg.Text().substr(0, static_cast<std::size_t>(precision))
                                   : arg.Text();
            break;
        case u'd':
        case u'D':
        case u'u':
        case u'U': {
            if (arg.IsText())
                FormatError(pattern);
            std::int64_t v = arg.Integer();
            String digits = IntToStr(v);
            if (v < 0)
                digits.erase(0, 1);
            if (precision > 0 && static_cast<int>(digits.size()) < precision)
                digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), u'0');
            piece = v < 0 ? u"-" + digits : digits;
            break;
        }
        case u'x':
        case u'X': {
            if (arg.IsText())
                FormatError(pattern);
            // 32-bit values print as their unsigned 32-bit pattern, as error codes are shown.
            auto v = static_cast<std::uint64_t>(arg.Integer());
            if (arg.Integer() >= INT32_MIN &&
                arg.Integer() <= static_cast<std::int64_t>(UINT32_MAX))
                v &= 0xFFFFFFFFu;
            // Hexadecimal digits are upper case whichever letter the pattern uses.
            const char* hex = "0123456789ABCDEF";
            do {
                piece.insert(piece.begin(), static_cast<char16_t>(hex[v & 15]));
                v >>= 4;
            } while (v);
            if (precision > 0 && static_cast<int>(piece.size()) < precision)
                piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), u'0');
            break;
        }
        default:
            FormatError(pattern);
        }
        out += Pad(std::move(piece), width, left);
    }
    return out;
}

} // namespace ortavo
