// Float, currency and date texts of field and parameter values.
#include "data/NumberText.h"

#include "base/Conversions.h"
#include "base/Exception.h"
#include "base/Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <type_traits>

namespace ortavo {

namespace {

constexpr int GeneralDigits = 15;

// The number texts are written once, for both UTF-16 and UTF-8 text: the digits are
// ASCII, only a separator may need more than one UTF-8 byte.
void Put(String& out, char c) {
    out += static_cast<char16_t>(c);
}
void Put(std::string& out, char c) {
    out += c;
}
void PutSeparator(String& out, char16_t separator) {
    out += separator;
}
void PutSeparator(std::string& out, char16_t separator) {
    if (separator < 0x80)
        out += static_cast<char>(separator);
    else
        AppendUtf8(StringView(&separator, 1), out);
}

template <typename Text> void AppendDigits(Text& out, std::string_view digits) {
    if constexpr (std::is_same_v<Text, std::string>) {
        out.append(digits);
    } else {
        for (char c : digits)
            Put(out, c);
    }
}

template <typename Text> void AppendZeros(Text& out, std::size_t count) {
    out.append(count, '0');
}

[[noreturn]] void FloatError(StringView text) {
    throw EConvertError(Format(u"'%s' is not a valid floating point value", {String(text)}));
}

void AppendTwo(String& out, int value) {
    out += static_cast<char16_t>(u'0' + value / 10);
    out += static_cast<char16_t>(u'0' + value % 10);
}

template <typename Text> void AppendFloat(double value, const FormatSettings& settings, Text& out) {
    if (std::isnan(value))
        return AppendDigits(out, "NAN");
    if (std::isinf(value))
        return AppendDigits(out, value < 0 ? "-INF" : "INF");
    if (value == 0)
        return Put(out, '0');
    // 15 significant digits, correctly rounded from the double: d.dddddddddddddde±x.
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, GeneralDigits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const bool negative = text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const auto e = text.find('e');
    char digitBuffer[GeneralDigits + 1];
    std::size_t count = 0;
    digitBuffer[count++] = text[0];
    for (std::size_t i = 2; i < e; ++i)
        digitBuffer[count++] = text[i];
    // The exponent: its sign, always written, and its digits.
    int exponent = 0;
    for (std::size_t i = e + 2; i < text.size(); ++i)
        exponent = exponent * 10 + (text[i] - '0');
    if (text[e + 1] == '-')
        exponent = -exponent;
    while (count > 1 && digitBuffer[count - 1] == '0')
        --count;
    const std::string_view digits(digitBuffer, count);

    if (negative)
        Put(out, '-');
    if (exponent >= GeneralDigits || exponent < -4) {
        Put(out, digits[0]);
        if (digits.size() > 1) {
            PutSeparator(out, settings.DecimalSeparator);
            AppendDigits(out, digits.substr(1));
        }
        Put(out, 'E');
        if (exponent < 0)
            Put(out, '-');
        char exponentDigits[8];
        const auto end = std::to_chars(exponentDigits, exponentDigits + sizeof exponentDigits,
                                       std::abs(exponent));
        AppendDigits(out, std::string_view(exponentDigits,
                                           static_cast<std::size_t>(end.ptr - exponentDigits)));
        return;
    }
    if (exponent < 0) {
        Put(out, '0');
        PutSeparator(out, settings.DecimalSeparator);
        AppendZeros(out, static_cast<std::size_t>(-exponent - 1));
        AppendDigits(out, digits);
        return;
    }
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
        AppendDigits(out, digits);
        AppendZeros(out, whole - digits.size());
        return;
    }
    AppendDigits(out, digits.substr(0, whole));
    PutSeparator(out, settings.DecimalSeparator);
    AppendDigits(out, digits.substr(whole));
}

template <typename Text>
void AppendCurrency(Currency value, const FormatSettings& settings, Text& out) {
    // The magnitude as unsigned, so that the lowest value has one too.
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    if (negative)
        Put(out, '-');
    char whole[24];
    const auto end = std::to_chars(whole, whole + sizeof whole, magnitude / CurrencyOne);
    AppendDigits(out, std::string_view(whole, static_cast<std::size_t>(end.ptr - whole)));
    std::uint64_t fraction = magnitude % CurrencyOne;
    if (fraction != 0) {
        char digits[4];
        for (int i = 3; i >= 0; --i, fraction /= 10)
            digits[i] = static_cast<char>('0' + fraction % 10);
        std::string_view text(digits, 4);
        while (text.back() == '0')
            text.remove_suffix(1);
        PutSeparator(out, settings.DecimalSeparator);
        AppendDigits(out, text);
    }
}

} // namespace

String FloatToStr(double value, const FormatSettings& settings) {
    String out;
    AppendFloat(value, settings, out);
    return out;
}

void AppendFloatText(double value, std::string& out, const FormatSettings& settings) {
    AppendFloat(value, settings, out);
}

String CurrToStr(Currency value, const FormatSettings& settings) {
    String out;
    AppendCurrency(value, settings, out);
    return out;
}

void AppendCurrText(Currency value, std::string& out, const FormatSettings& settings) {
    AppendCurrency(value, settings, out);
}

bool TryStrToCurr(StringView text, Currency& value, const FormatSettings& settings) {
    String trimmed = Trim(text);
    std::size_t i = 0, n = trimmed.size();
    bool negative = false;
    if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-'))
        negative = trimmed[i++] == u'-';
    std::uint64_t magnitude = 0;
    int places = -1, digits = 0;
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
    for (; i < n; ++i) {
        const char16_t c = trimmed[i];
        if (c == settings.DecimalSeparator && places < 0) {
            places = 0;
            continue;
        }
        if (c < u'0' || c > u'9')
            return false;
        ++digits;
        if (places >= 4) {
            // A fifth decimal rounds, halves away from zero; later ones are dropped.
            if (places == 4 && c >= u'5')
                ++magnitude;
            ++places;
            continue;
        }
        if (magnitude > (limit - 9) / 10)
            return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(c - u'0');
        if (places >= 0)
            ++places;
    }
    if (digits == 0)
        return false;
    for (int p = places < 0 ? 0 : std::min(places, 4); p < 4; ++p) {
        if (magnitude > limit / 10)
            return false;
        magnitude *= 10;
    }
    if (magnitude > limit || (!negative && magnitude == limit))
        return false;
    value = negative ? static_cast<Currency>(std::uint64_t(0) - magnitude)
                     : static_cast<Currency>(magnitude);
    return true;
}

Currency StrToCurr(StringView text, const FormatSettings& settings) {
    Currency value = 0;
    if (!TryStrToCurr(text, value, settings))
        FloatError(text);
    return value;
}

Currency FloatToCurr(double value) {
    const double scaled = std::round(value * CurrencyOne);
    // 2^63 is the first double beyond the range.
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        FloatError(FloatToStr(value));
    return static_cast<Currency>(scaled);
}

std::int32_t RoundToInt32(double value) {
    const double rounded = std::round(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw EConvertError(Format(u"'%s' is not a valid integer value", {FloatToStr(value)}));
    return static_cast<std::int32_t>(rounded);
}

std::int32_t Int64ToInt32(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw EConvertError(Format(u"'%s' is not a valid integer value", {IntToStr(value)}));
    return static_cast<std::int32_t>(value);
}

String DateToStr(TDateTime value, const FormatSettings& settings) {
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    String out;
    AppendTwo(out, day);
    out += settings.DateSeparator;
    AppendTwo(out, month);
    out += settings.DateSeparator;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", year);
    AppendDigits(out, digits);
    return out;
}

String TimeToStr(TDateTime value, const FormatSettings& settings) {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    DecodeTime(value, hour, minute, second, millisecond);
    const char16_t separator = settings.TimeSeparator ? settings.TimeSeparator : u':';
    String out;
    AppendTwo(out, hour);
    out += separator;
    AppendTwo(out, minute);
    out += separator;
    AppendTwo(out, second);
    return out;
}

String DateTimeToStr(TDateTime value, const FormatSettings& settings) {
    String out = DateToStr(value, settings);
    out += u' ';
    out += TimeToStr(value, settings);
    return out;
}

TDateTime StrToDateTime(StringView text, const FormatSettings& settings) {
    const String trimmed = Trim(text);
    auto fail = [&]() -> TDateTime {
        throw EConvertError(Format(u"'%s' is not a valid date and time", {String(text)}));
    };
    std::size_t i = 0;
    auto number = [&](std::size_t maxDigits, int& out) {
        std::size_t start = i;
        out = 0;
        while (i < trimmed.size() && i - start < maxDigits && trimmed[i] >= u'0' &&
               trimmed[i] <= u'9')
            out = out * 10 + (trimmed[i++] - u'0');
        return i > start;
    };
    auto expect = [&](char16_t c) {
        if (i < trimmed.size() && trimmed[i] == c) {
            ++i;
            return true;
        }
        return false;
    };
    const char16_t timeSeparator = settings.TimeSeparator ? settings.TimeSeparator : u':';
    TDateTime date = 0;
    int a = 0, b = 0, c = 0;
    const bool hasDate = trimmed.find(settings.DateSeparator) != String::npos;
    if (hasDate) {
        if (!number(2, a) || !expect(settings.DateSeparator) || !number(2, b) ||
            !expect(settings.DateSeparator) || !number(4, c) || !TryEncodeDate(c, b, a, date))
            return fail();
        if (i == trimmed.size())
            return date;
        if (!expect(u' '))
            return fail();
    }
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    if (!number(2, hour) || !expect(timeSeparator) || !number(2, minute))
        return fail();
    if (expect(timeSeparator)) {
        if (!number(2, second))
            return fail();
        if (expect(u'.') && !number(3, millisecond))
            return fail();
    }
    TDateTime time = 0;
    if (i != trimmed.size() || !TryEncodeTime(hour, minute, second, millisecond, time))
        return fail();
    return date + time;
}

} // namespace ortavo
