// Number and date conversions of column and parameter values.
#include "IBX/statements/IBValueText.h"

#include "base/Exception.h"
#include "base/Format.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ortavo {

namespace {

constexpr std::int64_t Pow10(int n) {
    std::int64_t result = 1;
    while (n-- > 0)
        result *= 10;
    return result;
}

constexpr double ExactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

void SkipBlanks(StringView text, std::size_t& i) {
    while (i < text.size() && text[i] <= u' ')
        ++i;
}

bool ReadNumber(StringView text, std::size_t& i, int& value, int maxDigits) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' &&
           static_cast<int>(i - start) < maxDigits)
        value = value * 10 + (text[i++] - u'0');
    return i > start;
}

[[noreturn]] void InvalidDateText(StringView text) {
    throw EConvertError(Format(u"'%s' is not a valid date and time", {String(text)}));
}

void AppendPadded(String& out, int value, int width) {
    String digits = IntToStr(value);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), u'0');
    out += digits;
}

} // namespace

double ScaledToDouble(std::int64_t value, int scale) {
    if (scale == 0)
        return static_cast<double>(value);
    // A quotient of two exact doubles is correctly rounded, which is what reading back
    // its decimal text of at most 15 significant digits gives.
    constexpr std::int64_t fifteenDigits = 1000000000000000LL;
    if (scale < 0 && scale >= -22 && value > -fifteenDigits && value < fifteenDigits)
        return static_cast<double>(value) / ExactPowersOfTen[-scale];
    const long double exact =
        static_cast<long double>(value) * std::pow(10.0L, static_cast<long double>(scale));
    // Rounded to 15 significant digits, then to the column's places, through text.
    char buffer[128];
    auto written =
        std::to_chars(buffer, buffer + sizeof buffer, exact, std::chars_format::scientific, 14);
    long double rounded = 0;
    std::from_chars(buffer, written.ptr, rounded);
    written = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed,
                            scale < 0 ? -scale : 0);
    if (written.ec != std::errc())
        return static_cast<double>(rounded);
    double result = 0;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

bool ScaledToCurrency(std::int64_t value, int scale, std::int64_t& currency) {
    constexpr std::int64_t maxValue = std::numeric_limits<std::int64_t>::max();
    const bool negative = value < 0;
    std::uint64_t result;
    if (scale >= 0) {
        if (scale > 14)
            return false;
        const std::uint64_t factor = static_cast<std::uint64_t>(Pow10(scale + 4));
        const std::uint64_t magnitude = Magnitude(value);
        if (magnitude > static_cast<std::uint64_t>(maxValue) / factor)
            return false;
        result = magnitude * factor;
    } else {
        const int decimals = -scale;
        const std::uint64_t magnitude = Magnitude(value);
        std::uint64_t whole, fraction;
        if (decimals > 18)
            return false;
        {
            const auto divisor = static_cast<std::uint64_t>(Pow10(decimals));
            whole = magnitude / divisor;
            const std::uint64_t remainder = magnitude % divisor;
            if (decimals <= 4) {
                fraction = remainder * static_cast<std::uint64_t>(Pow10(4 - decimals));
            } else {
                const auto cut = static_cast<std::uint64_t>(Pow10(decimals - 4));
                fraction = remainder / cut + (remainder % cut * 2 >= cut ? 1 : 0);
            }
        }
        if (whole > (static_cast<std::uint64_t>(maxValue) - fraction) / 10000)
            return false;
        result = whole * 10000 + fraction;
    }
    currency = negative ? -static_cast<std::int64_t>(result) : static_cast<std::int64_t>(result);
    return true;
}

bool DoubleToCurrency(double value, std::int64_t& currency) {
    const double scaled = std::round(value * 10000.0);
    if (!(scaled > -9.2233720368547758e18 && scaled < 9.2233720368547758e18))
        return false;
    currency = static_cast<std::int64_t>(scaled);
    return true;
}

bool TextToCurrency(StringView text, std::int64_t& currency, char16_t decimalSeparator) {
    std::size_t i = 0;
    SkipBlanks(text, i);
    String plain;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        plain += text[i++];
    std::size_t digitsAfter = 0;
    bool separator = false, digits = false;
    for (; i < text.size() && text[i] > u' '; ++i) {
        if (text[i] >= u'0' && text[i] <= u'9') {
            digits = true;
            if (separator)
                ++digitsAfter;
            plain += text[i];
        } else if (text[i] == decimalSeparator && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    SkipBlanks(text, i);
    if (!digits || i != text.size())
        return false;
    // Drop decimals beyond 18 significant digits' reach, keeping the rounding digit.
    while (digitsAfter > 5) {
        plain.pop_back();
        --digitsAfter;
    }
    std::int64_t unscaled;
    int scale;
    String decimal = plain;
    if (digitsAfter > 0)
        decimal.insert(decimal.size() - digitsAfter, 1, u'.');
    if (!ParseDecimal(decimal, unscaled, scale))
        return false;
    return ScaledToCurrency(unscaled, scale, currency);
}

bool ParseDecimal(StringView text, std::int64_t& unscaled, int& scale) {
    std::size_t i = 0;
    SkipBlanks(text, i);
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    std::uint64_t magnitude = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; i < text.size() && text[i] > u' '; ++i) {
        const char16_t c = text[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            if (++digits > 18)
                return false;
            magnitude = magnitude * 10 + (c - u'0');
            if (point)
                ++decimals;
        } else {
            return false;
        }
    }
    SkipBlanks(text, i);
    if (digits == 0 || i != text.size())
        return false;
    unscaled =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    scale = -decimals;
    return true;
}

String FormatScaled(std::int64_t value, int scale, char16_t decimalSeparator) {
    if (scale >= 0) {
        String text = IntToStr(value);
        if (value != 0)
            text.append(static_cast<std::size_t>(scale), u'0');
        return text;
    }
    const int decimals = -scale;
    const std::uint64_t magnitude = Magnitude(value);
    String text = value < 0 ? u"-" : u"";
    if (decimals > 18) {
        text += u"0";
        text += decimalSeparator;
        String digits = FromAscii(std::to_string(magnitude));
        text.append(static_cast<std::size_t>(decimals) - digits.size(), u'0');
        return text + digits;
    }
    const auto divisor = static_cast<std::uint64_t>(Pow10(decimals));
    text += FromAscii(std::to_string(magnitude / divisor));
    text += decimalSeparator;
    String fraction = FromAscii(std::to_string(magnitude % divisor));
    text.append(static_cast<std::size_t>(decimals) - fraction.size(), u'0');
    return text + fraction;
}

String FormatFloatGeneral(double value, const FormatSettings& settings) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    String text = FromAscii(std::string_view(buffer, written.ptr));
    for (char16_t& c : text)
        if (c == u'.')
            c = settings.DecimalSeparator;
    return text;
}

TDateTime TextToDateTime(StringView text, const FormatSettings& settings) {
    std::size_t i = 0;
    SkipBlanks(text, i);
    TDateTime date = 0, time = 0;
    int a, b, c = 0;
    const std::size_t start = i;
    if (!ReadNumber(text, i, a, 4))
        InvalidDateText(text);
    const bool timeOnly = i < text.size() && text[i] == settings.TimeSeparator;
    if (!timeOnly) {
        if (i >= text.size() || text[i] != settings.DateSeparator)
            InvalidDateText(text);
        ++i;
        if (!ReadNumber(text, i, b, 2) || i >= text.size() || text[i] != settings.DateSeparator)
            InvalidDateText(text);
        ++i;
        const std::size_t yearStart = i;
        if (!ReadNumber(text, i, c, 4))
            InvalidDateText(text);
        if (i - yearStart <= 2)
            c += c < 50 ? 2000 : 1900;
        if (!TryEncodeDate(c, b, a, date))
            InvalidDateText(text);
        SkipBlanks(text, i);
        if (i == text.size())
            return date;
    } else {
        i = start;
    }
    int hour, minute, second = 0;
    if (!ReadNumber(text, i, hour, 2) || i >= text.size() || text[i] != settings.TimeSeparator)
        InvalidDateText(text);
    ++i;
    if (!ReadNumber(text, i, minute, 2))
        InvalidDateText(text);
    if (i < text.size() && text[i] == settings.TimeSeparator) {
        ++i;
        if (!ReadNumber(text, i, second, 2))
            InvalidDateText(text);
    }
    SkipBlanks(text, i);
    if (i != text.size() || !TryEncodeTime(hour, minute, second, 0, time))
        InvalidDateText(text);
    return date >= 0 ? date + time : date - time;
}

String FormatDateTimeValue(TDateTime value, bool dateOnly, bool timeOnly,
                           const FormatSettings& settings) {
    String text;
    if (!timeOnly) {
        int year, month, day;
        DecodeDate(std::trunc(value), year, month, day);
        AppendPadded(text, day, 2);
        text += settings.DateSeparator;
        AppendPadded(text, month, 2);
        text += settings.DateSeparator;
        AppendPadded(text, year, 4);
    }
    if (!dateOnly) {
        int hour, minute, second, millisecond;
        DecodeTime(value, hour, minute, second, millisecond);
        if (!text.empty())
            text += u' ';
        const char16_t separator = settings.TimeSeparator ? settings.TimeSeparator : u':';
        AppendPadded(text, hour, 2);
        text += separator;
        AppendPadded(text, minute, 2);
        text += separator;
        AppendPadded(text, second, 2);
    }
    return text;
}

} // namespace ortavo
