// Positional and separator readings of date texts.
#include "reconciliation/ParseDateByFormat.h"

#include "base/Clock.h"
#include "base/Conversions.h"
#include "base/Exception.h"

#include <optional>

namespace ortavo {

namespace {

constexpr std::size_t kMaxCollected = 20;

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// The value that the text shows where the format has `count` copies of `letter`; `upper` is
// the format upper-cased, made once for all the letters.
int MaskValue(StringView format, StringView upper, StringView text, char16_t letter,
              std::size_t count, int blankValue, int defaultValue, const FormatSettings& settings) {
    std::size_t limit = format.size();
    if (text.size() < format.size())
        limit = text.size();
    else if (text.size() > format.size())
        return defaultValue;
    std::size_t at = upper.find(String(count, letter));
    if (at == StringView::npos)
        return defaultValue;
    String collected;
    if (format.size() >= count && format.size() < kMaxCollected) {
        for (std::size_t i = at; i < format.size() && Upper(format[i]) == letter && i < limit &&
                                 collected.size() < kMaxCollected;
             ++i)
            if (text[i] != u' ')
                collected.push_back(text[i]);
    }
    if (collected.empty())
        return blankValue;
    if (count > 1) {
        for (int month = 0; month < 12; ++month) {
            const String& name = settings.LongMonthNames[static_cast<std::size_t>(month)];
            if (name.size() >= collected.size() &&
                SameTextFull(StringView(name).substr(0, collected.size()), collected))
                return month + 1;
        }
        return -1;
    }
    std::int32_t value = 0;
    return TryStrToInt(collected, value) ? value : -1;
}

std::optional<TDateTime> Positional(StringView format, StringView text,
                                    const FormatSettings& settings, int currentYear) {
    const String upper = UpperCase(format);
    int month = MaskValue(format, upper, text, u'M', 3, -1, 0, settings);
    if (month == 0)
        month = MaskValue(format, upper, text, u'M', 1, -1, 0, settings);
    int day = MaskValue(format, upper, text, u'D', 1, -1, 1, settings);
    int year =
        WidenYear(MaskValue(format, upper, text, u'Y', 1, -1, currentYear, settings), currentYear);
    TDateTime date = 0;
    if (month > 0 && day > 0 && TryEncodeDate(year, month, day, date))
        return date;
    return std::nullopt;
}

// Walks the text for the reading by separators.
class DateScanner {
public:
    DateScanner(StringView text, char16_t separator) : FText(text), FSeparator(separator) {}

    std::optional<int> Number() {
        SkipBlanks();
        int value = 0;
        std::size_t digits = 0;
        while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9' && value < 1000) {
            value = value * 10 + (FText[FPos++] - u'0');
            ++digits;
        }
        return digits ? std::optional<int>(value) : std::nullopt;
    }

    bool Separator() {
        SkipBlanks();
        if (FPos < FText.size() && FText[FPos] == FSeparator) {
            ++FPos;
            return true;
        }
        return false;
    }

    void SkipBlanks() {
        while (FPos < FText.size() && FText[FPos] == u' ')
            ++FPos;
    }

    bool AtEnd() const { return FPos == FText.size(); }

private:
    StringView FText;
    char16_t FSeparator;
    std::size_t FPos = 0;
};

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

DateOrder OrderOf(StringView format) {
    for (char16_t c : format) {
        switch (Upper(c)) {
        case u'D':
            return DateOrder::DayMonthYear;
        case u'M':
            return DateOrder::MonthDayYear;
        case u'Y':
            return DateOrder::YearMonthDay;
        default:
            break;
        }
    }
    return DateOrder::DayMonthYear;
}

std::optional<TDateTime> BySeparators(StringView format, StringView text,
                                      const FormatSettings& settings, int currentYear) {
    DateOrder order = OrderOf(format);
    DateScanner scan(text, settings.DateSeparator);
    auto n1 = scan.Number();
    if (!n1 || !scan.Separator())
        return std::nullopt;
    auto n2 = scan.Number();
    if (!n2)
        return std::nullopt;
    int year, month, day;
    if (scan.Separator()) {
        auto n3 = scan.Number();
        if (!n3)
            return std::nullopt;
        switch (order) {
        case DateOrder::DayMonthYear:
            day = *n1, month = *n2, year = *n3;
            break;
        case DateOrder::MonthDayYear:
            month = *n1, day = *n2, year = *n3;
            break;
        default:
            year = *n1, month = *n2, day = *n3;
            break;
        }
        year = WidenYear(year, currentYear);
    } else {
        year = currentYear;
        if (order == DateOrder::DayMonthYear)
            day = *n1, month = *n2;
        else
            month = *n1, day = *n2;
    }
    scan.Separator();
    scan.SkipBlanks();
    TDateTime date = 0;
    if (scan.AtEnd() && TryEncodeDate(year, month, day, date))
        return date;
    return std::nullopt;
}

} // namespace

int WidenYear(int year, int currentYear) {
    if (year >= 100)
        return year;
    int pivot = currentYear - 60;
    year += (pivot / 100) * 100;
    if (year < pivot)
        year += 100;
    return year;
}

TDateTime ParseDateByFormat(StringView format, StringView text, const FormatSettings& settings,
                            int currentYear) {
    if (text.empty())
        return 0;
    if (auto date = Positional(format, text, settings, currentYear))
        return *date;
    if (auto date = BySeparators(format, text, settings, currentYear))
        return *date;
    throw EConvertError(u"Invalid date");
}

TDateTime ParseDateByFormat(StringView format, StringView text) {
    return ParseDateByFormat(format, text, CurrentFormatSettings(), LocalNow().Year);
}

} // namespace ortavo
