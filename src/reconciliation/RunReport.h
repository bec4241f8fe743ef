// The run's report: one CSV row per coupon saying what became of it.
#pragma once

#include "base/String.h"
#include "reconciliation/CouponRecord.h"
#include "reconciliation/CsvFile.h"

#include <string>

namespace ortavo {

inline constexpr std::string_view ReportHeader =
    "line,document,issue_date,printer,outcome,sequence,stored_discount,stored_surcharge,"
    "coupon_discount,coupon_surcharge\r\n";

// The row of a coupon (RFC 4180, UTF-8, ended by CR LF); amounts as the journal writes
// them, a missing value empty.
std::string ReportRow(const TCouponRecord& coupon, TCouponOutcome outcome);

// The report file, created or emptied, with its header. Each row is handed to the
// operating system as it is written, so a run that is killed leaves the rows so far.
class TRunReport {
public:
    explicit TRunReport(const String& path);
    void Add(const TCouponRecord& coupon, TCouponOutcome outcome);

private:
    TCsvFile FFile;
};

} // namespace ortavo
