// The parameter scan: plain text, comments, quoted texts and parameter names.
#include "IBX/statements/IBSQLParamScan.h"

#include "IBX/client/IB.h"
#include "base/CharClass.h"

namespace ortavo {

namespace {

[[noreturn]] void ParseError(TIBClientError reason) {
    RaiseClientError(ibxeSQLParseError, {String(ClientErrorText(reason))});
}

// Letters of every kind, decimal digits, "_" and "$".
bool IsNameChar(char16_t c) {
    if (c < 0x80)
        return c == u'_' || c == u'$' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ||
               (c >= u'A' && c <= u'Z');
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return IsUnicodeLetter(c);
}

enum class ScanState { Plain, Comment, LineComment, Quoted, Param };

} // namespace

TIBParamScan ScanParams(StringView text, bool generateParamNames) {
    TIBParamScan scan;
    String& out = scan.ProcessedSQL;
    out.reserve(text.size());
    const std::size_t n = text.size();
    ScanState state = ScanState::Plain;
    char16_t quote = 0;
    String name;
    bool quotedName = false;
    int generated = 0;
    auto endName = [&] {
        scan.Names.push_back(name);
        state = ScanState::Plain;
    };

    std::size_t i = 0;
    while (i < n) {
        const char16_t c = text[i];
        switch (state) {
        case ScanState::Plain:
            if (c == u'"' || c == u'\'') {
                quote = c;
                out += c;
                state = ScanState::Quoted;
            } else if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
                out += u"/*";
                ++i;
                state = ScanState::Comment;
            } else if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
                out += u"--";
                ++i;
                state = ScanState::LineComment;
            } else if (c == u':' || c == u'?') {
                out += u'?';
                name.clear();
                quotedName = false;
                state = ScanState::Param;
            } else {
                out += c;
            }
            ++i;
            break;
        case ScanState::Comment:
            out += c;
            if (i + 1 >= n)
                ParseError(ibxeEOFInComment);
            if (c == u'*' && text[i + 1] == u'/')
                state = ScanState::Plain;
            ++i;
            break;
        case ScanState::LineComment:
            // Runs to the end of its line, or of the text.
            out += c;
            if (c == u'\n')
                state = ScanState::Plain;
            ++i;
            break;
        case ScanState::Quoted:
            out += c;
            if (i + 1 >= n)
                ParseError(ibxeEOFInString);
            if (c == quote) {
                if (text[i + 1] == quote) {
                    out += quote;
                    ++i;
                } else {
                    state = ScanState::Plain;
                }
            }
            ++i;
            break;
        case ScanState::Param:
            if (quotedName) {
                name += c;
                if (c == u'"') {
                    endName();
                    if (i + 1 < n)
                        out += text[i + 1];
                    ++i;
                }
                ++i;
            } else if (name.empty() && c == u'"') {
                name += c;
                quotedName = true;
                ++i;
            } else if (IsNameChar(c)) {
                name += c;
                if (i + 1 >= n || !IsNameChar(text[i + 1])) {
                    endName();
                    if (i + 1 < n)
                        out += text[i + 1];
                    ++i;
                }
                ++i;
            } else {
                if (!generateParamNames)
                    ParseError(ibxeParamNameExpected);
                name = u"IBXParam" + IntToStr(generated++);
                endName();
                out += c;
                ++i;
            }
            break;
        }
    }
    if (state == ScanState::Param && !name.empty())
        scan.Names.push_back(name);
    return scan;
}

} // namespace ortavo
