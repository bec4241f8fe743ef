// The inspect command: reads the loaded lines with the run's own conversions.
#include "FiscalListing.h"

#include "base/Conversions.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "reconciliation/FiscalRecords.h"
#include "reconciliation/ParseDateByFormat.h"

#include <cstdio>

namespace ortavo {

namespace {

std::string IsoDate(TDateTime date) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, d);
    return buffer;
}

std::string CouponLine(int lineNumber, StringView line) {
    using namespace FiscalLayout;
    String document = FieldText(line, CouponDocument);
    double discount = AmountValue(Field(line, CouponDiscount));
    double surcharge = AmountValue(Field(line, CouponSurcharge));
    String serial = FieldText(line, CouponSerial);
    String dateText = IssueDateText(Field(line, CouponIssueDate));
    TDateTime date = ParseDateByFormat(u"dd/mm/yyyy", dateText);
    String out = u"coupon\t" + IntToStr(lineNumber) + u"\t" + document + u"\t" +
                 FormatTwoDecimals(discount) + u"\t" + FormatTwoDecimals(surcharge) + u"\t" +
                 serial + u"\t" + dateText + u"\t";
    return ToUtf8(out) + IsoDate(date);
}

} // namespace

InspectStatus InspectLines(const TMemoLines& lines, std::ostream& out, std::ostream& err) {
    int count = lines.Count();
    if (count == 0 || !IsRecord(lines.GetView(0), HeaderRecord)) {
        err << "Arquivo não é Ato Cotepe 17/04. Validação não pode ser realizada.\n";
        return InspectNotCotepe;
    }
    out << "header\t" << ToUtf8(Field(lines.GetView(0), FiscalLayout::HeaderCnpj)) << '\n';
    InspectStatus status = InspectAllRead;
    for (int i = 1; i < count; ++i) {
        StringView line = lines.GetView(i);
        if (!IsRecord(line, CouponRecord))
            continue;
        try {
            out << CouponLine(i + 1, line) << '\n';
        } catch (const EConvertError& e) {
            out << "error\t" << i + 1 << '\t' << e.what() << '\n';
            status = InspectSomeLineFailed;
        }
    }
    return status;
}

} // namespace ortavo
