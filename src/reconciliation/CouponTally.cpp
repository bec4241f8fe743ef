// Counting a run's coupons by outcome, and the summary line.
#include "reconciliation/CouponTally.h"

namespace ortavo {

void TCouponTally::Count(TCouponOutcome outcome) {
    ++Coupons;
    switch (outcome) {
    case TCouponOutcome::Equal:
        ++Equal;
        break;
    case TCouponOutcome::Overwritten:
    case TCouponOutcome::WouldOverwrite:
        ++Overwritten;
        break;
    case TCouponOutcome::NotFound:
        ++NotFound;
        break;
    case TCouponOutcome::Failed:
        ++Failed;
        break;
    }
}

std::string TCouponTally::Summary(bool dryRun) const {
    std::string text = "summary: " + std::to_string(Coupons) + " coupons, " +
                       std::to_string(Equal) + " equal, " + std::to_string(Overwritten) +
                       (dryRun ? " would be overwritten, " : " overwritten, ") +
                       std::to_string(NotFound) + " not found";
    if (Failed > 0)
        text += ", " + std::to_string(Failed) + " failed";
    return text;
}

} // namespace ortavo
