// How many coupons of a run came out which way, for its summary line.
#pragma once

#include "reconciliation/CouponRecord.h"

#include <string>

namespace ortavo {

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
