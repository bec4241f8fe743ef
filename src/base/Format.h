// Message formatting with the placeholders the system's tables use: %s, %d, %x, %%,
// with an optional width and precision ("%.8x").
#pragma once

#include "base/String.h"

#include <cstdint>
#include <initializer_list>
#include <variant>

namespace ortavo {

class FormatArg {
public:
    FormatArg(const String& s) : FValue(s) {}
    FormatArg(StringView s) : FValue(String(s)) {}
    FormatArg(const char16_t* s) : FValue(String(s)) {}
    FormatArg(int v) : FValue(static_cast<std::int64_t>(v)) {}
    FormatArg(long v) : FValue(static_cast<std::int64_t>(v)) {}
    FormatArg(long long v) : FValue(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned v) : FValue(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned long v) : FValue(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned long long v) : FValue(static_cast<std::int64_t>(v)) {}

    bool IsText() const { return FValue.index() == 0; }
    const String& Text() const { return std::get<0>(FValue); }
    std::int64_t Integer() const { return std::get<1>(FValue); }

private:
    std::variant<String, std::int64_t> FValue;
};

// Raises EConvertError "Format '%s' invalid or incompatible with argument" when a
// placeholder has no argument of its kind, or a width or precision above 4096.
String Format(StringView pattern, std::initializer_list<FormatArg> args);

} // namespace ortavo
