// Parameter values and their conversions, and the parameter list with its marker parser.
#include "data/Params.h"

#include "base/Conversions.h"
#include "base/Encoding.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "data/DatabaseError.h"

#include <cmath>

namespace ortavo {

namespace {

template <typename... F> struct Visitor : F... { using F::operator()...; };
template <typename... F> Visitor(F...) -> Visitor<F...>;

} // namespace

TParam::TParam(TParams* collection, String name)
    : FCollection(collection), FName(std::move(name)) {}

void TParam::SetAsString(const String& value) {
    SetText(value, FDataType == ftFixedWideChar ? ftFixedWideChar : ftWideString);
}

bool TParam::HoldsCurrency() const noexcept {
    return FDataType == ftCurrency || FDataType == ftBCD;
}

String TParam::AsString() const {
    return std::visit(
        Visitor{[](std::monostate) { return String(); }, [](const String& s) { return s; },
                [this](std::int64_t v) { return HoldsCurrency() ? CurrToStr(v) : IntToStr(v); },
                [this](double v) {
                    switch (FDataType) {
                    case ftDate:
                        return DateToStr(v);
                    case ftTime:
                        return TimeToStr(v);
                    case ftDateTime:
                    case ftTimeStamp:
                        return DateTimeToStr(v);
                    default:
                        return FloatToStr(v);
                    }
                },
                [](bool v) { return String(v ? u"True" : u"False"); },
                [](const std::string& v) { return Encoding::Ansi().Decode(v); },
                [](const TBcd& v) { return BcdToStr(v); }},
        FValue);
}

std::int64_t TParam::AsLargeInt() const {
    return std::visit(
        Visitor{
            [](std::monostate) { return std::int64_t{0}; },
            [](const String& s) { return StrToInt64(s); },
            [this](std::int64_t v) {
                return HoldsCurrency() ? static_cast<std::int64_t>(
                                             std::llround(static_cast<double>(v) / CurrencyOne))
                                       : v;
            },
            [](double v) { return static_cast<std::int64_t>(std::llround(v)); },
            [](bool v) { return std::int64_t{v ? 1 : 0}; },
            [](const std::string& v) { return StrToInt64(Encoding::Ansi().Decode(v)); },
            [](const TBcd& v) { return static_cast<std::int64_t>(std::llround(BcdToDouble(v))); }},
        FValue);
}

std::int32_t TParam::AsInteger() const {
    if (const auto* d = std::get_if<double>(&FValue))
        return RoundToInt32(*d);
    return Int64ToInt32(AsLargeInt());
}

double TParam::AsFloat() const {
    return std::visit(
        Visitor{[](std::monostate) { return 0.0; }, [](const String& s) { return StrToFloat(s); },
                [this](std::int64_t v) {
                    return HoldsCurrency() ? static_cast<double>(v) / CurrencyOne
                                           : static_cast<double>(v);
                },
                [](double v) { return v; }, [](bool v) { return v ? 1.0 : 0.0; },
                [](const std::string& v) { return StrToFloat(Encoding::Ansi().Decode(v)); },
                [](const TBcd& v) { return BcdToDouble(v); }},
        FValue);
}

Currency TParam::AsCurrency() const {
    if (const auto* v = std::get_if<std::int64_t>(&FValue))
        return HoldsCurrency() ? *v : *v * CurrencyOne;
    if (const auto* s = std::get_if<String>(&FValue))
        return StrToCurr(*s);
    if (const auto* b = std::get_if<TBcd>(&FValue))
        return StrToCurr(BcdToStr(*b));
    return FloatToCurr(AsFloat());
}

TDateTime TParam::AsDateTime() const {
    if (const auto* s = std::get_if<String>(&FValue))
        return StrToDateTime(*s);
    return AsFloat();
}

bool TParam::AsBoolean() const {
    if (const auto* s = std::get_if<String>(&FValue)) {
        if (SameText(*s, u"True"))
            return true;
        if (SameText(*s, u"False") || s->empty())
            return false;
        return StrToFloat(*s) != 0;
    }
    return AsFloat() != 0;
}

std::string TParam::AsBytes() const {
    if (const auto* b = std::get_if<std::string>(&FValue))
        return *b;
    if (IsNull())
        return {};
    return Encoding::Ansi().Encode(AsString());
}

TBcd TParam::AsFMTBCD() const {
    if (const auto* b = std::get_if<TBcd>(&FValue))
        return *b;
    if (IsNull())
        return ScaledIntegerToBcd(0, 0);
    if (const auto* v = std::get_if<std::int64_t>(&FValue))
        return ScaledIntegerToBcd(*v, HoldsCurrency() ? -4 : 0);
    if (const auto* s = std::get_if<String>(&FValue))
        return StrToBcd(*s);
    FormatSettings dot;
    dot.DecimalSeparator = u'.';
    return StrToBcd(FloatToStr(AsFloat(), dot), dot);
}

void TParam::AssignValue(const TParam& source) {
    FValue = source.FValue;
    FDataType = source.FDataType;
    FBound = source.FBound;
}

TParam& TParams::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format(u"List index out of bounds (%d)", {index}));
    return *FItems[static_cast<std::size_t>(index)];
}

TParam& TParams::Add(String name) {
    return *FItems.emplace_back(std::make_unique<TParam>(this, std::move(name)));
}

void TParams::Assign(const TParams& source) {
    if (&source == this)
        return;
    FItems.clear();
    for (const auto& item : source.FItems)
        Add(item->Name()).AssignValue(*item);
}

void TParams::AssignValues(const TParams& source) {
    for (const auto& item : source.FItems)
        if (TParam* target = FindParam(item->Name()))
            target->AssignValue(*item);
}

TParam* TParams::FindParam(StringView name) const {
    for (const auto& item : FItems)
        if (SameTextFull(item->Name(), name))
            return item.get();
    return nullptr;
}

TParam& TParams::ParamByName(StringView name) const {
    if (TParam* param = FindParam(name))
        return *param;
    DatabaseErrorFmt(u"Parameter '%s' not found", {String(name)}, FOwner);
}

String TParams::ParseSQL(StringView sql, bool doCreate) {
    if (doCreate)
        Clear();
    auto isQuote = [](char16_t c) { return c == u'\'' || c == u'"' || c == u'`'; };
    auto isDelimiter = [](char16_t c) {
        return c == u' ' || c == u'\r' || c == u'\n' || c == u')' || c == u',' || c == u';';
    };
    String out;
    out.reserve(sql.size());
    const std::size_t n = sql.size();
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = sql[i];
        // Comments are copied whole, as the statement's own scan skips them: a colon in
        // them is no parameter.
        const bool blockComment = c == u'/' && i + 1 < n && sql[i + 1] == u'*';
        if (blockComment || (c == u'-' && i + 1 < n && sql[i + 1] == u'-')) {
            const std::size_t close =
                blockComment ? sql.find(u"*/", i + 2) : sql.find(u'\n', i + 2);
            const std::size_t end = close == StringView::npos ? n : close + (blockComment ? 2 : 1);
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (isQuote(c)) {
            const std::size_t close = sql.find(c, i + 1);
            if (close == StringView::npos) {
                // An unterminated quote ends the scan there.
                out.append(sql.substr(i));
                break;
            }
            out.append(sql.substr(i, close + 1 - i));
            i = close + 1;
        } else if (c == u':' && i + 1 < n && sql[i + 1] == u':') {
            out += u':';
            i += 2;
        } else if (c == u':') {
            out += u'?';
            ++i;
            String name;
            if (i < n && isQuote(sql[i])) {
                const char16_t quote = sql[i];
                std::size_t close = sql.find(quote, i + 1);
                if (close == StringView::npos)
                    close = n;
                name = String(sql.substr(i + 1, close - i - 1));
                i = close < n ? close + 1 : n;
            } else {
                const std::size_t start = i;
                while (i < n && !isDelimiter(sql[i]))
                    ++i;
                name = String(sql.substr(start, i - start));
            }
            if (doCreate)
                Add(std::move(name));
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace ortavo
