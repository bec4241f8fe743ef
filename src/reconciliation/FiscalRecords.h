// The records and fields of the fiscal file that a run reads: the "E01" header's company
// and the "E14" coupon's serial, document, issue date and amounts.
#pragma once

#include "base/FormatSettings.h"
#include "base/String.h"

namespace ortavo {

// A field by its first position (from 1) and width.
struct FieldPosition {
    int First;
    int Width;
};

namespace FiscalLayout {
inline constexpr FieldPosition RecordType{1, 3};
inline constexpr FieldPosition HeaderCnpj{99, 14};
inline constexpr FieldPosition CouponSerial{4, 20};
inline constexpr FieldPosition CouponDocument{53, 6};
inline constexpr FieldPosition CouponIssueDate{59, 8};
inline constexpr FieldPosition CouponDiscount{81, 13};
inline constexpr FieldPosition CouponSurcharge{95, 13};
} // namespace FiscalLayout

inline constexpr StringView HeaderRecord = u"E01";
inline constexpr StringView CouponRecord = u"E14";

// The characters of the line within the field: the whole field, a shorter remainder when
// the line ends inside it, or nothing. Never trimmed.
StringView Field(StringView line, FieldPosition field);
String FieldText(StringView line, FieldPosition field);

// Positions 1-3 are exactly type (case matters).
bool IsRecord(StringView line, StringView type);

// An amount field: an integer of hundredths read as a decimal number, divided by 100.
// Raises EConvertError "'%s' is not a valid floating point value" with the field text.
double AmountValue(StringView field, const FormatSettings& settings = CurrentFormatSettings());

// The issue date field YYYYMMDD rearranged as DD/MM/YYYY, each piece what exists of it.
String IssueDateText(StringView dateField);

} // namespace ortavo
