// Console texts of the commands.
#include "ConsoleText.h"

#include "base/Exception.h"

namespace ortavo {

std::string ConsoleText(const String& text) {
    std::string out;
    AppendConsoleText(text, out);
    return out;
}

void AppendConsoleText(StringView text, std::string& out) {
    const std::size_t start = out.size();
    AppendUtf8(text, out);
    if (out.find('\r', start) == std::string::npos)
        return;
    // In place: a CR becomes LF, and the LF after it goes.
    std::size_t to = start;
    for (std::size_t from = start; from < out.size(); ++from) {
        if (out[from] == '\r') {
            out[to++] = '\n';
            if (from + 1 < out.size() && out[from + 1] == '\n')
                ++from;
        } else {
            out[to++] = out[from];
        }
    }
    out.resize(to);
}

// The stream keeps no reason (errno does not survive it), so the text names the stream only.
void CheckWritten(std::ostream& stream, const char16_t* name) {
    if (!stream)
        throw EStreamError(String(u"Cannot write to ") + name);
}

} // namespace ortavo
