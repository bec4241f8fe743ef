// Console texts of the commands.
#include "ConsoleText.h"

namespace ortavo {

std::string ConsoleText(const String& text) {
    std::string utf8 = ToUtf8(text);
    if (utf8.find('\r') == std::string::npos)
        return utf8;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

} // namespace ortavo
