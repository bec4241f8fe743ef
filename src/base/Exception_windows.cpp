// The C runtime's error texts (English in every locale) and the system's texts for Windows
// error codes.
#include "base/Exception.h"

#include <windows.h>

#include <cstring>

namespace ortavo {

String SystemErrorText(int errorNumber) {
    char text[256] = {};
    if (strerror_s(text, sizeof text, errorNumber) != 0)
        return u"Unknown error " + IntToStr(errorNumber);
    return FromUtf8(text);
}

namespace {

// The system's message in one language, or nothing when it has none in that language.
String MessageIn(DWORD errorCode, WORD language) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return {};
    String text(reinterpret_cast<const char16_t*>(buffer), length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
        text.pop_back();
    return text;
}

} // namespace

String WindowsErrorText(std::uint32_t errorCode) {
    for (const WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)}) {
        String text = MessageIn(errorCode, language);
        if (!text.empty())
            return text;
    }
    return u"Unknown error " + IntToStr(errorCode);
}

} // namespace ortavo
