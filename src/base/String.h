// The system's text type (UTF-16) and the few text helpers every layer shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ortavo {

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 only at the edges: console, file names handed to the OS, what().
// Malformed UTF-8 decodes to U+FFFD; lone surrogates encode as U+FFFD.
std::string ToUtf8(StringView text);
// The text's UTF-8 bytes added to the end of out; a lone surrogate becomes U+FFFD.
void AppendUtf8(StringView text, std::string& out);
String FromUtf8(std::string_view text);

// Characters below 128 widened as they are; for literals and ASCII protocol text.
String FromAscii(std::string_view text);

// ASCII-only case mapping, as identifiers and keywords are compared.
String UpperCase(StringView text);
String LowerCase(StringView text);
bool SameText(StringView a, StringView b);

// Case mapping of any Basic Multilingual Plane letter (accented month names).
char16_t CharUpperFull(char16_t c);
bool SameTextFull(StringView a, StringView b);

// Drops the characters at or below the blank from both ends (or one).
String Trim(StringView text);
// Whether Trim would leave nothing, without making the trimmed copy.
bool IsBlank(StringView text) noexcept;
String TrimLeft(StringView text);
String TrimRight(StringView text);

String IntToStr(std::int64_t value);

} // namespace ortavo
