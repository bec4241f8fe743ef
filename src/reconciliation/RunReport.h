// The run's record of its coupons: what became of each (the report file, one CSV row per
// coupon) and how many of each kind (the summary).
#pragma once

#include "base/DateTime.h"
#include "base/String.h"
#include "reconciliation/CsvFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ortavo {

enum class TCouponOutcome { Equal, Overwritten, WouldOverwrite, NotFound, Failed };

// A sale found for a coupon, as stored before the run.
struct TFoundSale {
    std::int32_t Sequence = 0;
    double Discount = 0;
    double Surcharge = 0;
};

// A coupon record as far as the run got with it: a field that failed to convert, and those
// after it, are missing.
struct TCouponRecord {
    int Line = 0; // 1-based
    String Document;
    std::optional<double> Discount;
    std::optional<double> Surcharge;
    String Printer;
    std::optional<TDateTime> IssueDate;
    std::optional<TFoundSale> Sale;
};

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

// How many coupons came out which way.
struct TCouponTally {
    // The run got past the company check to the coupons.
    bool Started = false;
    int Coupons = 0, Equal = 0, Overwritten = 0, NotFound = 0, Failed = 0;

    void Count(TCouponOutcome outcome);
    // "summary: N coupons, E equal, O overwritten, F not found", "would be overwritten" in a
    // dry run, ", 1 failed" added when a coupon failed.
    std::string Summary(bool dryRun) const;
};

} // namespace ortavo
