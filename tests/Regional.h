// Regional settings pinned by tests instead of read from the machine.
#pragma once

#include "base/FormatSettings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace ortavo::testing {

inline FormatSettings WithDecimalSeparator(char16_t separator) {
    FormatSettings settings;
    settings.DecimalSeparator = separator;
    return settings;
}

// The C library's name of the Brazilian locale.
#ifdef _WIN32
inline constexpr const char* BrazilianLocaleName = "Portuguese_Brazil.1252";
#else
inline constexpr const char* BrazilianLocaleName = "pt_BR.UTF-8";
#endif

// The C library's locale set to one that writes and reads a decimal comma, as the toolkit
// sets it from a Brazilian session; the one before comes back at the end of the scope.
class ScopedCommaLocale {
public:
    ScopedCommaLocale() : FPrevious(std::setlocale(LC_ALL, nullptr)) {
        EXPECT_NE(std::setlocale(LC_ALL, BrazilianLocaleName), nullptr)
            << BrazilianLocaleName << " is missing";
    }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, FPrevious.c_str()); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

private:
    std::string FPrevious;
};

} // namespace ortavo::testing
