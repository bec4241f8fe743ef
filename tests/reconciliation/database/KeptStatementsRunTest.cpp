// The whole run with the connection keeping its prepared statements and without: the same
// log, boxes, errors and rows, on the business shapes, a trigger refusing a mark included.
#include "CommitDropProxy.h"
#include "RunFixture.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/statements/IBStatementCache.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace ortavo;
using namespace ortavo::test;

namespace {

struct TKeptCase {
    TAccess Access;
    TBusinessShape Shape;
};

void PrintTo(const TKeptCase& c, std::ostream* out) {
    *out << AccessName(c.Access) << c.Shape.Name();
}

std::vector<TKeptCase> KeptCases() {
    std::vector<TKeptCase> cases;
    for (const TBusinessShape& shape : BusinessShapes())
        cases.push_back({TAccess::Embedded, shape});
    cases.push_back({TAccess::Server, BusinessShapes().front()});
    cases.push_back({TAccess::Server, BusinessShapes().back()});
    return cases;
}

// What a run leaves: its log, boxes and error, and every sale's row.
struct TRunTrace {
    std::vector<std::string> Logged, Notices;
    std::string Error;
    std::vector<std::string> Rows;
    bool operator==(const TRunTrace&) const = default;
};

class KeptStatementsRun : public ::testing::TestWithParam<TKeptCase> {
protected:
    ScopedFormatSettings Settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder Folder;

    static constexpr int Sales = 8;

    std::unique_ptr<TBusinessDatabase> Business() {
        auto db = std::make_unique<TBusinessDatabase>(GetParam().Access, GetParam().Shape);
        for (int i = 1; i <= Sales; ++i)
            db->AddSale(
                {i, "00010" + std::to_string(i), "2024-03-15", i == 1 ? "1.50" : "0.25", "0"});
        db->Execute("CREATE EXCEPTION E_ESTADO 'estado recusado'");
        db->Execute("GRANT USAGE ON EXCEPTION E_ESTADO TO PUBLIC");
        db->Execute("CREATE TRIGGER MVTO_PAI_ESTADO FOR MVTO_PAI BEFORE UPDATE AS BEGIN "
                    "IF (NEW.PAI_SEQU = 5 AND NEW.PAI_ESTADO = 'P') THEN EXCEPTION E_ESTADO; END");
        return db;
    }

    static TRunTrace Trace(TRunHarness& run, TBusinessDatabase& db, const std::string& file) {
        TRunTrace trace;
        run.Front.Logged.clear();
        run.Front.Notices.clear();
        try {
            run.Run(db.Name(), file);
        } catch (const Exception& e) {
            trace.Error = ToUtf8(e.Message());
        }
        trace.Logged = run.Front.Logged;
        trace.Notices = run.Front.Notices;
        for (int i = 1; i <= Sales; ++i) {
            const TStoredSale sale = db.Sale(i);
            trace.Rows.push_back(std::to_string(sale.Discount) + " " +
                                 std::to_string(sale.Surcharge) + " " + sale.State.value_or("-"));
        }
        return trace;
    }
};

} // namespace

TEST_P(KeptStatementsRun, LeavesWhatARunWithoutThemLeaves) {
    const std::string file = Folder.Write(
        "memoria.txt",
        FiscalText(
            {HeaderLine(), CouponLine("000101", "20240315", 150, 0),
             CouponLine("000102", "20240315", 225, 0), CouponLine("000103", "20240315", 25, 75),
             CouponLine("000199", "20240315", 100, 0), CouponLine("000102", "20240315", 225, 0),
             CouponLine("000104", "20240315", 401, 4),
             CouponLine("000105", "20240315", 501, 5), // its mark is refused
             CouponLine("000106", "20240315", 25, 0), CouponLine("000107", "20240315", 701, 0)}));
    std::vector<TRunTrace> traces[2];
    for (bool keep : {false, true}) {
        const std::unique_ptr<TBusinessDatabase> db = Business();
        TRunHarness run;
        run.Components().Base.SetKeepStatements(keep);
        traces[keep].push_back(Trace(run, *db, file));
        EXPECT_EQ(TIBStatementCache::Of(run.Components().Base) != nullptr, keep);
        // The trigger goes while the connection holds its statements; the rerun finishes.
        db->Execute("DROP TRIGGER MVTO_PAI_ESTADO");
        traces[keep].push_back(Trace(run, *db, file));
        traces[keep].push_back(Trace(run, *db, file));
    }
    ASSERT_EQ(traces[0].size(), traces[1].size());
    for (std::size_t i = 0; i < traces[0].size(); ++i) {
        EXPECT_EQ(traces[1][i].Logged, traces[0][i].Logged) << "run " << i;
        EXPECT_EQ(traces[1][i].Notices, traces[0][i].Notices) << "run " << i;
        EXPECT_EQ(traces[1][i].Error, traces[0][i].Error) << "run " << i;
        EXPECT_EQ(traces[1][i].Rows, traces[0][i].Rows) << "run " << i;
    }
    // The runs did what they were meant to: refused, finished, then found nothing to do.
    EXPECT_NE(traces[1][0].Error.find("estado recusado"), std::string::npos);
    EXPECT_TRUE(traces[1][1].Error.empty());
    EXPECT_EQ(traces[1][2].Logged.back(), "Concluído");
}

INSTANTIATE_TEST_SUITE_P(Shapes, KeptStatementsRun, ::testing::ValuesIn(KeptCases()),
                         [](const ::testing::TestParamInfo<TKeptCase>& info) {
                             return AccessName(info.param.Access) + info.param.Shape.Name();
                         });

// However a run ends, the window then idles holding nothing an index rebuild on the run's
// table waits for; the lock timeout makes a held index fail the test instead of hanging it.
TEST_P(KeptStatementsRun, AnIdleWindowBlocksNoIndexWork) {
    const std::unique_ptr<TBusinessDatabase> db = Business();
    db->Execute("CREATE INDEX IX_MVTO_PAI_DOC ON MVTO_PAI (PAI_DOCUMENTO)");
    TRunHarness run;
    struct TEnd {
        const char* Name;
        std::string Last;
    };
    for (const TEnd& end : {TEnd{"last coupon equal", CouponLine("000102", "20240315", 25, 0)},
                            TEnd{"last coupon overwritten", CouponLine("000103", "20240315", 9, 0)},
                            TEnd{"refused mark", CouponLine("000105", "20240315", 501, 5)},
                            TEnd{"company not found", ""}}) {
        SCOPED_TRACE(end.Name);
        const std::string file =
            Folder.Write("memoria.txt",
                         FiscalText({end.Last.empty() ? HeaderLine("11111111000111") : HeaderLine(),
                                     CouponLine("000104", "20240315", 25, 0), end.Last}));
        const TRunTrace trace = Trace(run, *db, file);
        EXPECT_EQ(trace.Error.empty(), end.Name != std::string("refused mark")) << trace.Error;
        EXPECT_NO_THROW(db->Execute("DROP INDEX IX_MVTO_PAI_DOC", 3));
        EXPECT_NO_THROW(db->Execute("CREATE INDEX IX_MVTO_PAI_DOC ON MVTO_PAI (PAI_DOCUMENTO)", 3));
    }
}

// Over a network a coupon costs the round trips its server work needs, as a program calling
// the client directly does: the select (its execute and first fetch travel together), and
// for an overwritten coupon each update and the commit, nothing more; the updates are
// prepared once per run.
TEST(RunRoundTrips, ACouponCostsWhatItsServerWorkNeeds) {
    ScopedFormatSettings settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder folder;
    constexpr int Coupons = 12;
    TBusinessDatabase db(TAccess::Server);
    for (int i = 1; i <= Coupons; ++i)
        db.AddSale({i, "0001" + std::to_string(10 + i), "2024-03-15", "0.25", "0"});
    TCommitDropProxy proxy([] { return false; });
    const std::string name = proxy.Name(db.Database().Path().string());
    std::vector<int> trips;
    // Equal (the first run also learns the tables), equal, overwritten, equal again, then
    // overwritten with a journal, which reads each sale's mark with its amounts.
    TRunJournal journal(FromUtf8(folder.File("journal.csv")));
    for (int cents : {25, 25, 30, 30, 35}) {
        std::vector<std::string> lines{HeaderLine()};
        for (int i = 1; i <= Coupons; ++i)
            lines.push_back(CouponLine("0001" + std::to_string(10 + i), "20240315", cents, 0));
        const std::string file = folder.Write("memoria.txt", FiscalText(lines));
        TRunHarness run;
        const int before = proxy.RoundTrips();
        TRunOptions options;
        options.Journal = cents == 35 ? &journal : nullptr;
        EXPECT_EQ(run.Run(FromUtf8(name), file, options), TRunOutcome::Completed);
        trips.push_back(proxy.RoundTrips() - before);
    }
    // The previous run's detach is sent as its harness goes, and the proxy may count it
    // before or after the next run's first reading: one trip either way.
    EXPECT_NEAR(trips[3], trips[1], 1);
    EXPECT_NEAR(trips[2] - trips[1], Coupons * 3 + 2, 2);
    EXPECT_NEAR(trips[4] - trips[1], Coupons * 3 + 3, 2); // and the select with the mark
}
