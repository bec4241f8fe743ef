// Writing the report's rows.
#include "reconciliation/RunReport.h"

#include "reconciliation/CsvText.h"
#include "reconciliation/RunJournal.h"

namespace ortavo {

namespace {

std::string OutcomeText(TCouponOutcome outcome) {
    switch (outcome) {
    case TCouponOutcome::Equal:
        return "equal";
    case TCouponOutcome::Overwritten:
        return "overwritten";
    case TCouponOutcome::WouldOverwrite:
        return "would_overwrite";
    case TCouponOutcome::NotFound:
        return "not_found";
    case TCouponOutcome::Failed:
        break;
    }
    return "failed";
}

std::string Amount(const std::optional<double>& value) {
    return value ? ShortestDecimal(*value) : std::string();
}

} // namespace

std::string ReportRow(const TCouponRecord& coupon, TCouponOutcome outcome) {
    const std::optional<TFoundSale>& sale = coupon.Sale;
    return CsvRow({std::to_string(coupon.Line), ToUtf8(coupon.Document),
                   coupon.IssueDate ? IsoDate(*coupon.IssueDate) : std::string(),
                   ToUtf8(coupon.Printer), OutcomeText(outcome),
                   sale ? std::to_string(sale->Sequence) : std::string(),
                   sale ? ShortestDecimal(sale->Discount) : std::string(),
                   sale ? ShortestDecimal(sale->Surcharge) : std::string(), Amount(coupon.Discount),
                   Amount(coupon.Surcharge)});
}

TRunReport::TRunReport(const String& path) : FFile(path, u"report", TCsvFile::TMode::Truncate) {
    FFile.Write(ReportHeader);
}

void TRunReport::Add(const TCouponRecord& coupon, TCouponOutcome outcome) {
    FFile.Write(ReportRow(coupon, outcome));
}

} // namespace ortavo
