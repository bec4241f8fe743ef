// The journal a run keeps of the sales it overwrote: one row per sale the server may have
// kept, with old amounts that read back as the stored doubles and the old marks; none for a
// dry run or a coupon undone before its commit was asked for. The report of every coupon,
// and the restore that puts the journal's sales back.
#include "CommitDropProxy.h"
#include "RunFixture.h"

#include "reconciliation/JournalRestore.h"

#include "base/Exception.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ortavo;
using namespace ortavo::test;

namespace {

std::vector<std::string> Rows(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::vector<std::string> rows;
    std::string text = all.str();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a row without CR LF";
        if (end == std::string::npos)
            break;
        rows.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return rows;
}

// The row without its time, which the run takes from the clock.
std::string WithoutTime(const std::string& row) {
    return row.substr(row.find(','));
}

} // namespace

TEST(RunJournalOnDatabase, RowsForCommittedSalesOnly) {
    ScopedFormatSettings settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Embedded, {3, "INTEGER", "VARCHAR(20)", "VARCHAR(6)",
                                             "DOUBLE PRECISION", "TIMESTAMP"});
    db.AddSale({1, "000101", "2024-03-15", "0.1e0", "1.005e0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    db.AddSale({3, "000103", "2024-03-15", "0", "0"});
    db.Execute("CREATE EXCEPTION E_ESTADO 'estado recusado'");
    db.Execute("GRANT USAGE ON EXCEPTION E_ESTADO TO PUBLIC");
    db.Execute("CREATE TRIGGER MVTO_PAI_ESTADO FOR MVTO_PAI BEFORE UPDATE AS BEGIN "
               "IF (NEW.PAI_SEQU = 3 AND NEW.PAI_ESTADO = 'P') THEN EXCEPTION E_ESTADO; END");
    const std::string file =
        folder.Write("a,b.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 150, 0),
                                            CouponLine("000102", "20240315", 0, 0),
                                            CouponLine("000103", "20240315", 7, 0)}));
    const std::string journal = folder.File("journal.csv");

    {
        TRunJournal writer(FromUtf8(journal));
        TRunHarness run;
        TRunOptions options;
        options.DryRun = true;
        options.Journal = &writer;
        EXPECT_THROW(run.Run(db.Name(), file, options), Exception);
    }
    EXPECT_THAT(Rows(journal),
                ::testing::ElementsAre("time,database,file,line,sequence,document,issue_date,"
                                       "printer,old_discount,new_discount,old_surcharge,"
                                       "new_surcharge,old_state,run"));
    {
        TRunJournal writer(FromUtf8(journal));
        TRunHarness run;
        TRunOptions options;
        options.Journal = &writer;
        EXPECT_THROW(run.Run(db.Name(), file, options), Exception);
    }
    const std::vector<std::string> rows = Rows(journal);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(WithoutTime(rows[1]),
                ::testing::MatchesRegex("," + ToUtf8(db.Name()) + ",\"" + file +
                                        "\",2,1,000101,2024-03-15," + Serial +
                                        ",0.1,1.5,1.005,0,A,[-0-9T:+]+/[0-9]+"));
    EXPECT_THAT(rows[1], ::testing::MatchesRegex(
                             "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[-+][0-9]{2}:"
                             "[0-9]{2},.*"));
}

// The reply to a coupon's commit is lost: the server may have kept the change, so its row
// must stay, or the old amounts would be in no journal (a rerun finds the sale equal).
TEST(RunJournalOnDatabase, ARowStaysWhenTheCommitsReplyIsLost) {
    ScopedFormatSettings settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Server);
    db.AddSale({1, "000101", "2024-03-15", "0.25", "0"});
    const std::string file =
        folder.Write("m.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 150, 0)}));
    const std::string journal = folder.File("journal.csv");
    TRunJournal writer(FromUtf8(journal));
    // The row is on disk before the commit is asked for, so the first request after it is
    // the commit.
    TCommitDropProxy proxy([&] {
        std::error_code ec;
        return std::filesystem::file_size(journal, ec) > JournalHeader.size() && !ec;
    });
    TRunHarness run;
    TRunOptions options;
    options.Journal = &writer;
    std::string failure;
    try {
        run.Run(FromUtf8(proxy.Name(db.Database().Path().string())), file, options);
    } catch (const Exception& e) {
        failure = e.what();
    }
    ASSERT_TRUE(proxy.Dropped()) << "the run ended with: " << failure;
    EXPECT_FALSE(failure.empty());
    const std::vector<std::string> rows = Rows(journal);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[1], ::testing::HasSubstr(",000101,2024-03-15," + std::string(Serial) +
                                              ",0.25,1.5,0,0,A,"));
    // The server got the request and kept the change: only the journal knows 0.25 now.
    const TStoredSale sale = db.Sale(1);
    EXPECT_EQ(sale.Discount, 1.5);
    EXPECT_EQ(sale.State, "P");
}

namespace {

class TRecordingRestore : public IRestoreFront {
public:
    void Sale(const TSaleRestore& sale, TSaleOutcome outcome, const TSaleValues& held) override {
        Lines.push_back(RestoreLine(sale, outcome, held));
    }
    void ConnectionRefused(const String& reason) override { Reason = ToUtf8(reason); }
    std::vector<std::string> Lines;
    std::string Reason;
};

// The lines of a restore of the journal's latest run for db.
std::vector<std::string> Restore(const TBusinessDatabase& db, const std::string& journal,
                                 bool dryRun = false) {
    const TJournal read = ReadJournal(FromUtf8(journal));
    TRunHarness harness;
    TRecordingRestore front;
    EXPECT_TRUE(RestoreSales(harness.Components(), db.Name(),
                             SelectSales(read, ToUtf8(db.Name()), TRunChoice::Latest),
                             {dryRun, read.Marks}, front))
        << front.Reason;
    return front.Lines;
}

std::vector<TStoredSale> Table(const TBusinessDatabase& db, int sales) {
    std::vector<TStoredSale> table;
    for (int sequence = 1; sequence <= sales; ++sequence)
        table.push_back(db.Sale(sequence));
    return table;
}

TRunOutcome RunJournalled(TBusinessDatabase& db, const std::string& file,
                          const std::string& journal, TRunReport* report = nullptr,
                          bool dryRun = false) {
    TRunJournal writer(FromUtf8(journal));
    TRunHarness run;
    TRunOptions options;
    options.DryRun = dryRun;
    options.Journal = &writer;
    options.Report = report;
    return run.Run(db.Name(), file, options);
}

} // namespace

class RestoreOnDatabase : public ::testing::TestWithParam<TBusinessShape> {};

// Sales overwritten from every kind of mark come back exactly, whatever the column types and
// dialect; a sale someone changed since the run is left alone; a second restore finds the
// sales already back.
TEST_P(RestoreOnDatabase, GivesTheTableBackAsItWas) {
    ScopedFormatSettings settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Embedded, GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0.1", "1.005"});
    db.AddSale({2, "000102", "2024-03-15", "0.3", "0", Serial, 1, std::nullopt});
    db.AddSale({3, "000103", "2024-03-15", "0", "0"});
    db.AddSale({4, "000104", "2024-03-15", "2", "0", Serial, 1, " "});
    db.AddSale({5, "000105", "2024-03-15", "0", "0", Serial, 1, "P"});
    const std::string file = folder.Write(
        "m.txt",
        FiscalText({HeaderLine(), CouponLine("000101", "20240315", 150, 0),
                    CouponLine("000102", "20240315", 5, 1), CouponLine("000103", "20240315", 0, 0),
                    CouponLine("000109", "20240315", 0, 0), CouponLine("000104", "20240315", 0, 3),
                    CouponLine("000105", "20240315", 1, 0)}));
    const std::string journal = folder.File("journal.csv");
    const std::vector<TStoredSale> before = Table(db, 5);
    ASSERT_EQ(RunJournalled(db, file, journal), TRunOutcome::Completed);
    ASSERT_EQ(db.Sale(1).State, "P");
    db.Execute("UPDATE MVTO_PAI SET PAI_DESCONTO = 9 WHERE PAI_SEQU = 5");
    const TStoredSale changed = db.Sale(5);

    // A dry run says what a restore would do, and keeps nothing.
    const std::vector<TStoredSale> overwritten = Table(db, 5);
    const std::vector<std::string> dry = Restore(db, journal, true);
    EXPECT_EQ(Table(db, 5), overwritten);
    const std::vector<std::string> restored = Restore(db, journal);
    EXPECT_THAT(restored, ::testing::ElementsAre("restored 1", "restored 2", "restored 4",
                                                 "conflict 5: holds 9/0/P, journal says 0.01/0/P"));
    EXPECT_EQ(dry, restored);
    std::vector<TStoredSale> expected = before;
    expected[4] = changed;
    EXPECT_EQ(Table(db, 5), expected);
    EXPECT_EQ(db.Sale(2).State, std::nullopt);
    EXPECT_EQ(db.Sale(4).State, " ");
    EXPECT_THAT(Restore(db, journal),
                ::testing::ElementsAre("unchanged 1", "unchanged 2", "unchanged 4",
                                       "conflict 5: holds 9/0/P, journal says 0.01/0/P"));
    EXPECT_EQ(Table(db, 5), expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RestoreOnDatabase, ::testing::ValuesIn(BusinessShapes()),
                         [](const ::testing::TestParamInfo<TBusinessShape>& info) {
                             return info.param.Name();
                         });

// A journal begun before marks were kept: the run appends its 12 columns, and a restore puts
// the amounts back and leaves the mark.
TEST(RestoreOnDatabase, AnOldJournalRestoresTheAmounts) {
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Embedded,
                         {1, "INTEGER", "CHAR(20)", "VARCHAR(6)", "DOUBLE PRECISION", "DATE"});
    db.AddSale({1, "000101", "2024-03-15", "0.1", "1.005"});
    const std::string file =
        folder.Write("m.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 150, 0)}));
    const std::string journal = folder.Write("old.csv", JournalHeaderWithoutMarks);
    const TStoredSale before = db.Sale(1);
    ASSERT_EQ(RunJournalled(db, file, journal), TRunOutcome::Completed);
    const std::vector<std::string> rows = Rows(journal);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[1], ::testing::EndsWith(",0.1,1.5,1.005,0"));
    EXPECT_THAT(Restore(db, journal), ::testing::ElementsAre("restored 1"));
    EXPECT_EQ(db.Sale(1).Discount, before.Discount);
    EXPECT_EQ(db.Sale(1).Surcharge, before.Surcharge);
    EXPECT_EQ(db.Sale(1).State, "P");
    EXPECT_THAT(Restore(db, journal), ::testing::ElementsAre("unchanged 1"));
}

// A failure on a sale takes both of its updates back; the sales before it stay restored.
TEST(RestoreOnDatabase, AFailureTakesTheSaleBack) {
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Embedded);
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    db.AddSale({3, "000103", "2024-03-15", "0", "0"});
    const std::string file =
        folder.Write("m.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 1, 0),
                                          CouponLine("000102", "20240315", 2, 0),
                                          CouponLine("000103", "20240315", 3, 0)}));
    const std::string journal = folder.File("journal.csv");
    ASSERT_EQ(RunJournalled(db, file, journal), TRunOutcome::Completed);
    const std::vector<TStoredSale> overwritten = Table(db, 3);
    db.Execute("CREATE EXCEPTION E_ESTADO 'estado recusado'");
    db.Execute("GRANT USAGE ON EXCEPTION E_ESTADO TO PUBLIC");
    db.Execute("CREATE TRIGGER MVTO_PAI_ESTADO FOR MVTO_PAI BEFORE UPDATE AS BEGIN "
               "IF (NEW.PAI_SEQU = 2 AND NEW.PAI_ESTADO = 'A') THEN EXCEPTION E_ESTADO; END");
    const TJournal read = ReadJournal(FromUtf8(journal));
    TRunHarness harness;
    TRecordingRestore front;
    EXPECT_THROW(RestoreSales(harness.Components(), db.Name(),
                              SelectSales(read, ToUtf8(db.Name()), TRunChoice::Latest), {}, front),
                 Exception);
    EXPECT_THAT(front.Lines, ::testing::ElementsAre("restored 1"));
    EXPECT_EQ(db.Sale(1), (TStoredSale{0, 0, "A"}));
    EXPECT_EQ(db.Sale(2), overwritten[1]);
    EXPECT_EQ(db.Sale(3), overwritten[2]);
}

// One row per coupon in file order, as the run goes: every outcome, the stored amounts only
// for a sale found, the coupon an error ended the run on last; a dry run says what it would
// overwrite.
TEST(RunReportOnDatabase, ARowForEveryCoupon) {
    ScopedFormatSettings settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder folder;
    TBusinessDatabase db(TAccess::Embedded);
    db.AddSale({1, "000101", "2024-03-15", "0.25", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0.05", "0.01"});
    const std::string file =
        folder.Write("m.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 150, 0),
                                          CouponLine("000109", "20240315", 0, 7),
                                          CouponLine("000102", "20240315", 5, 1),
                                          CouponLine("000103", "20240230", 1, 0),
                                          CouponLine("000104", "20240315", 1, 0)}));
    const std::string path = folder.File("report.csv");
    const std::string serial = Serial;
    const std::vector<std::string> rows = {
        "line,document,issue_date,printer,outcome,sequence,stored_discount,stored_surcharge,"
        "coupon_discount,coupon_surcharge",
        "2,000101,2024-03-15," + serial + ",overwritten,1,0.25,0,1.5,0",
        "3,000109,2024-03-15," + serial + ",not_found,,,,0,0.07",
        "4,000102,2024-03-15," + serial + ",equal,2,0.05,0.01,0.05,0.01",
        "5,000103,," + serial + ",failed,,,,0.01,0"};
    for (bool dryRun : {true, false}) {
        TRunReport report(FromUtf8(path));
        TCouponTally tally;
        TRunHarness run;
        TRunOptions options;
        options.DryRun = dryRun;
        options.Report = &report;
        options.Tally = &tally;
        EXPECT_THROW(run.Run(db.Name(), file, options), Exception);
        std::vector<std::string> expected = rows;
        if (dryRun)
            expected[1] = "2,000101,2024-03-15," + serial + ",would_overwrite,1,0.25,0,1.5,0";
        EXPECT_EQ(Rows(path), expected);
        EXPECT_EQ(tally.Summary(dryRun),
                  dryRun
                      ? "summary: 4 coupons, 1 equal, 1 would be overwritten, 1 not found, 1 failed"
                      : "summary: 4 coupons, 1 equal, 1 overwritten, 1 not found, 1 failed");
    }

    // A run that stops before the coupons leaves the header alone.
    TRunReport report(FromUtf8(path));
    TCouponTally tally;
    TRunHarness run;
    TRunOptions options;
    options.Report = &report;
    options.Tally = &tally;
    EXPECT_EQ(run.Run(db.Name(),
                      folder.Write("other.txt", FiscalText({HeaderLine("11111111000111")})),
                      options),
              TRunOutcome::CompanyNotFound);
    EXPECT_EQ(Rows(path), std::vector<std::string>{rows[0]});
    EXPECT_FALSE(tally.Started);
}
