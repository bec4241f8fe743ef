// The journal a run keeps of the sales it overwrote: one row per sale the server may have
// kept, with old amounts that read back as the stored doubles; none for a dry run or a
// coupon undone before its commit was asked for.
#include "CommitDropProxy.h"
#include "RunFixture.h"

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
                                       "new_surcharge"));
    {
        TRunJournal writer(FromUtf8(journal));
        TRunHarness run;
        TRunOptions options;
        options.Journal = &writer;
        EXPECT_THROW(run.Run(db.Name(), file, options), Exception);
    }
    const std::vector<std::string> rows = Rows(journal);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(WithoutTime(rows[1]), "," + ToUtf8(db.Name()) + ",\"" + file +
                                        "\",2,1,000101,2024-03-15," + Serial + ",0.1,1.5,1.005,0");
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
    EXPECT_THROW(run.Run(FromUtf8(proxy.Name(db.Database().Path().string())), file, options),
                 Exception);
    ASSERT_TRUE(proxy.Dropped());
    const std::vector<std::string> rows = Rows(journal);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[1],
                ::testing::EndsWith(",000101,2024-03-15," + std::string(Serial) + ",0.25,1.5,0,0"));
    // The server got the request and kept the change: only the journal knows 0.25 now.
    const TStoredSale sale = db.Sale(1);
    EXPECT_EQ(sale.Discount, 1.5);
    EXPECT_EQ(sale.State, "P");
}
