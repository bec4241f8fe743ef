// Number parsing and the two-decimal form.
#include "base/Conversions.h"

#include "base/Exception.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace ortavo {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

template <typename Int, typename UInt> bool TryParseInteger(StringView text, Int& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;
    UInt magnitude = 0;
    const UInt limit = static_cast<UInt>(-1);
    for (; i < n; ++i) {
        char16_t c = text[i];
        unsigned digit;
        if (IsDigit(c))
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        unsigned base = hex ? 16 : 10;
        if (magnitude > (limit - digit) / base)
            return false;
        magnitude = magnitude * base + digit;
    }
    if (hex) {
        // A hexadecimal text spells the bit pattern, as the platform's reader takes it.
        Int bits = static_cast<Int>(magnitude);
        value = negative ? static_cast<Int>(UInt(0) - static_cast<UInt>(bits)) : bits;
        return true;
    }
    const UInt maxPositive = static_cast<UInt>(limit >> 1);
    if (negative) {
        if (magnitude > maxPositive + 1)
            return false;
        value = static_cast<Int>(UInt(0) - magnitude);
    } else {
        if (magnitude > maxPositive)
            return false;
        value = static_cast<Int>(magnitude);
    }
    return true;
}

[[noreturn]] void NotAnInteger(StringView text) {
    throw EConvertError(u"'" + String(text) + u"' is not a valid integer value");
}

} // namespace

bool TryTextToFloat(StringView text, double& value, const FormatSettings& settings) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    // The number is rewritten in the C form (point, no sign) for std::from_chars, which
    // follows no locale.
    std::string ascii;
    ascii.reserve(n + 4);
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= n || !(IsDigit(text[i]) || text[i] == settings.DecimalSeparator))
        return false;
    // The power of ten of the first significant digit, roughly: it tells an overflow from an
    // underflow when the value is out of range.
    long long order = 0;
    bool significant = false;
    ascii.push_back('0');
    while (i < n && IsDigit(text[i])) {
        significant = significant || text[i] != u'0';
        order += significant ? 1 : 0;
        ascii.push_back(static_cast<char>(text[i++]));
    }
    if (i < n && text[i] == settings.DecimalSeparator) {
        ascii.push_back('.');
        ++i;
        while (i < n && IsDigit(text[i])) {
            significant = significant || text[i] != u'0';
            order -= significant ? 0 : 1;
            ascii.push_back(static_cast<char>(text[i++]));
        }
    }
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        std::string exponent = "e";
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            exponent.push_back(static_cast<char>(text[i++]));
        }
        std::size_t digits = 0;
        long long power = 0;
        while (i < n && IsDigit(text[i])) {
            power = std::min(power * 10 + (text[i] - u'0'), 1'000'000'000LL);
            exponent.push_back(static_cast<char>(text[i++]));
            ++digits;
        }
        // An exponent letter without digits counts as exponent 0.
        if (digits > 0) {
            ascii += exponent;
            order += negativeExponent ? -power : power;
        }
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return false;
    double result = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
    if (error == std::errc::result_out_of_range) {
        // Too large is no value; too small is zero, as the C library reads it.
        if (order > 0)
            return false;
        result = 0;
    } else if (error != std::errc() || end != ascii.data() + ascii.size()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

double StrToFloat(StringView text, const FormatSettings& settings) {
    double value = 0;
    if (!TryTextToFloat(text, value, settings))
        throw EConvertError(u"'" + String(text) + u"' is not a valid floating point value");
    return value;
}

bool TryStrToInt(StringView text, std::int32_t& value) {
    return TryParseInteger<std::int32_t, std::uint32_t>(text, value);
}

bool TryStrToInt64(StringView text, std::int64_t& value) {
    return TryParseInteger<std::int64_t, std::uint64_t>(text, value);
}

std::int32_t StrToInt(StringView text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        NotAnInteger(text);
    return value;
}

std::int64_t StrToInt64(StringView text) {
    std::int64_t value = 0;
    if (!TryStrToInt64(text, value))
        NotAnInteger(text);
    return value;
}

String FormatTwoDecimals(double value, const FormatSettings& settings) {
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";
    // 18 significant digits: d.ddddddddddddddddde+XX
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 17);
    const char* p = buffer;
    while (p != written.ptr && *p != 'e')
        ++p;
    int exponent = 0;
    if (p != written.ptr) {
        // from_chars takes no '+' sign.
        const char* digits = p + 1 + (p[1] == '+');
        std::from_chars(digits, written.ptr, exponent);
    }
    // The digits as integer part and fraction, the decimal point after `point` of them. A
    // double's exponent lies within -324..308, so leading zeros and digits fit here; the
    // log formats thousands of amounts, so no allocation but the result.
    char digits[400];
    std::size_t size = 0;
    int point = exponent + 1;
    if (point <= 0) {
        size = static_cast<std::size_t>(1 - point);
        std::memset(digits, '0', size);
        point = 1;
    }
    for (const char* m = buffer; m != p; ++m)
        if (*m != '.')
            digits[size++] = *m;
    // Keep two decimals; the third decides.
    const std::size_t keep = static_cast<std::size_t>(point) + 2;
    while (size < keep + 1)
        digits[size++] = '0';
    const bool roundUp = digits[keep] >= '5';
    size = keep;
    if (roundUp) {
        std::size_t k = keep;
        while (k > 0) {
            --k;
            if (digits[k] == '9') {
                digits[k] = '0';
            } else {
                ++digits[k];
                break;
            }
            if (k == 0) {
                std::memmove(digits + 1, digits, size);
                digits[0] = '1';
                ++size;
                ++point;
            }
        }
    }
    std::size_t first = 0;
    while (first + 1 < static_cast<std::size_t>(point) && digits[first] == '0')
        ++first;
    const auto integerEnd = static_cast<std::size_t>(point);
    const bool zero = integerEnd - first == 1 && digits[first] == '0' &&
                      digits[integerEnd] == '0' && digits[integerEnd + 1] == '0';
    String out;
    out.reserve(integerEnd - first + 4);
    if (value < 0 && !zero)
        out.push_back(u'-');
    for (std::size_t i = first; i < integerEnd; ++i)
        out.push_back(static_cast<char16_t>(digits[i]));
    out.push_back(settings.DecimalSeparator);
    out.push_back(static_cast<char16_t>(digits[integerEnd]));
    out.push_back(static_cast<char16_t>(digits[integerEnd + 1]));
    return out;
}

} // namespace ortavo
