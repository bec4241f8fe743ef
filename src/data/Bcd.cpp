// The packed decimal: built from scaled integers, read back as exact text or a double.
#include "data/Bcd.h"

#include "base/Conversions.h"
#include "base/Exception.h"
#include "base/Format.h"

#include <charconv>
#include <string>

namespace ortavo {

namespace {

int Digit(const TBcd& bcd, int i) {
    const std::uint8_t byte = bcd.Fraction[i / 2];
    return i % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

void SetDigit(TBcd& bcd, int i, int digit) {
    std::uint8_t& byte = bcd.Fraction[i / 2];
    byte = i % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | (digit << 4))
                      : static_cast<std::uint8_t>((byte & 0xF0) | digit);
}

// The digits of a decimal value and its places, as TBcd holds them.
TBcd FromDigits(const std::string& digits, int places, bool negative) {
    TBcd bcd;
    bcd.Precision = static_cast<std::uint8_t>(digits.size());
    for (std::size_t i = 0; i < digits.size(); ++i)
        SetDigit(bcd, static_cast<int>(i), digits[i] - '0');
    bcd.SignSpecialPlaces = static_cast<std::uint8_t>((negative ? 0x80 : 0) | places);
    return bcd;
}

} // namespace

TBcd ScaledIntegerToBcd(std::int64_t value, int scale) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    std::string digits = std::to_string(magnitude);
    const int places = -scale;
    // At least one digit before the point.
    if (static_cast<int>(digits.size()) <= places)
        digits.insert(0, static_cast<std::size_t>(places + 1) - digits.size(), '0');
    return FromDigits(digits, places, negative && magnitude != 0);
}

String BcdToStr(const TBcd& bcd, const FormatSettings& settings) {
    const int precision = bcd.Precision;
    const int places = std::min(bcd.Places(), precision);
    int last = precision; // one past the last digit worth writing
    while (last > precision - places && Digit(bcd, last - 1) == 0)
        --last;
    int first = 0;
    while (first < precision - places - 1 && Digit(bcd, first) == 0)
        ++first;
    String out;
    bool nonZero = false;
    for (int i = first; i < last; ++i)
        nonZero = nonZero || Digit(bcd, i) != 0;
    if (bcd.Negative() && nonZero)
        out += u'-';
    if (precision - places == 0)
        out += u'0';
    for (int i = first; i < last; ++i) {
        if (i == precision - places)
            out += settings.DecimalSeparator;
        out += static_cast<char16_t>(u'0' + Digit(bcd, i));
    }
    if (out.empty() || out == u"-")
        return String(1, u'0');
    return out;
}

double BcdToDouble(const TBcd& bcd) {
    // Through the exact text, so that the double is the correctly rounded value.
    FormatSettings dot;
    dot.DecimalSeparator = u'.';
    const std::string text = ToUtf8(BcdToStr(bcd, dot));
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

TBcd StrToBcd(StringView text, const FormatSettings& settings) {
    const String trimmed = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == u'-' || trimmed[i] == u'+'))
        negative = trimmed[i++] == u'-';
    std::string digits;
    int places = -1;
    for (; i < trimmed.size(); ++i) {
        const char16_t c = trimmed[i];
        if (c == settings.DecimalSeparator && places < 0) {
            places = 0;
        } else if (c >= u'0' && c <= u'9') {
            digits += static_cast<char>(c);
            if (places >= 0)
                ++places;
        } else {
            digits.clear();
            break;
        }
    }
    if (places < 0)
        places = 0;
    while (digits.size() > 1 && digits.front() == '0' &&
           static_cast<int>(digits.size()) > places + 1)
        digits.erase(0, 1);
    if (digits.empty() || digits.size() > 32 || places > 63)
        throw EConvertError(Format(u"'%s' is not a valid BCD value", {String(text)}));
    return FromDigits(digits, places, negative);
}

} // namespace ortavo
