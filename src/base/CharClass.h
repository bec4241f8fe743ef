// Upper case and letters beyond ASCII from the system's Unicode tables, whatever the
// process locale.
#pragma once

namespace ortavo {

// The upper-case form of a character of the Basic Multilingual Plane (no surrogate); the
// character itself when it has none that fits one UTF-16 unit.
char16_t UnicodeUpper(char16_t c) noexcept;

// Whether the character is a letter of any script.
bool IsUnicodeLetter(char16_t c) noexcept;

} // namespace ortavo
