// Fields and amounts of the fiscal file's records.
#include "reconciliation/FiscalRecords.h"

#include "base/Conversions.h"

namespace ortavo {

StringView Field(StringView line, FieldPosition field) {
    auto first = static_cast<std::size_t>(field.First - 1);
    if (field.First < 1 || field.Width <= 0 || first >= line.size())
        return {};
    return line.substr(first, static_cast<std::size_t>(field.Width));
}

String FieldText(StringView line, FieldPosition field) {
    return String(Field(line, field));
}

bool IsRecord(StringView line, StringView type) {
    return Field(line, FiscalLayout::RecordType) == type;
}

double AmountValue(StringView field, const FormatSettings& settings) {
    return StrToFloat(field, settings) / 100;
}

String IssueDateText(StringView dateField) {
    auto piece = [&](int first, int width) { return String(Field(dateField, {first, width})); };
    return piece(7, 2) + u"/" + piece(5, 2) + u"/" + piece(1, 4);
}

} // namespace ortavo
