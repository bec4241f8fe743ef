// A run on a business-shaped database through the real components, with a front end that
// records the log lines (without their time stamps) and the boxes.
#pragma once

#include "BusinessDatabase.h"
#include "Regional.h"
#include "TempFolder.h"

#include "base/FormatSettings.h"
#include "reconciliation/RunComponents.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ortavo::test {

class TRecordingFront : public IRunFront {
public:
    TMemoLines& FileLines() override { return FLines; }
    void ClearLog() override {
        Logged.clear();
        ++Clears;
    }
    void Log(const String& message) override {
        const std::string line = ToUtf8(message);
        Logged.push_back(line);
        if (OnLog)
            OnLog(line);
    }
    void Notice(const String& text) override { Notices.push_back(ToUtf8(text)); }
    void ConnectionRefused(const String& reason) override { Reason = ToUtf8(reason); }

    // The log as the view would hold it: cleared with it.
    std::vector<std::string> Logged;
    std::vector<std::string> Notices;
    std::string Reason;
    int Clears = 0;
    // Called after each line is recorded; a test may break the connection here.
    std::function<void(const std::string&)> OnLog;

private:
    TMemoLines FLines;
};

// The components as the window's layout creates them, owned by the fixture.
class TRunHarness {
public:
    TRunHarness() : FComponents(CreateRunComponents(FOwner)) {}
    const TRunComponents& Components() const { return FComponents; }
    TRunOutcome Run(const String& database, const std::string& file, TRunOptions options = {}) {
        return ReconciliationRun(FComponents, database, FromUtf8(file), Front, options);
    }
    TRecordingFront Front;

private:
    TComponent FOwner;
    TRunComponents FComponents;
};

// The five coupon lines a run logs before it looks for the sale.
inline std::vector<std::string> CouponLog(const std::string& document, const std::string& discount,
                                          const std::string& surcharge,
                                          const std::string& date = "15/03/2024") {
    return {"Documento: " + document, "Desconto: " + discount, "Acréscimo: " + surcharge, Serial,
            "Data: " + date};
}

inline std::string SaleLog(int sequence, const std::string& discount,
                           const std::string& surcharge) {
    return "SEQUENCIAL NO TALIMOR : " + std::to_string(sequence) +
           " Desconto no documento:" + discount + "- Acréscimo no documento:" + surcharge;
}

// Lines joined for readable failures.
inline std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace ortavo::test
