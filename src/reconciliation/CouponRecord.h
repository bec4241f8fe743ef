// A coupon record as the run met it: its fields as far as they were read, the sale found for
// it, and what became of it.
#pragma once

#include "base/DateTime.h"
#include "base/String.h"

#include <cstdint>
#include <optional>

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

} // namespace ortavo
