// The journal's texts and file: shortest round-trip amounts, CSV quoting, the header once,
// a row taken back, an old journal kept in its columns; reading it back for a restore, and
// the report's rows and the summaries.
#include "reconciliation/RunJournal.h"
#include "TempFolder.h"
#include "base/Exception.h"
#include "reconciliation/CouponTally.h"
#include "reconciliation/JournalRestore.h"
#include "reconciliation/RunReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

using namespace ortavo;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

} // namespace

TEST(RunJournal, AmountsReadBackAsTheSameDouble) {
    for (double value : {0.0, 0.1, 1.5, 12.34, 1.005, -0.05, 123456789.12, 1e-7, 0.1 + 0.2}) {
        const std::string text = ShortestDecimal(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
        EXPECT_EQ(text.find_first_of("eE,"), std::string::npos) << text;
    }
    EXPECT_EQ(ShortestDecimal(0.1), "0.1");
    EXPECT_EQ(ShortestDecimal(1.5), "1.5");
    EXPECT_EQ(ShortestDecimal(0.30000000000000004), "0.30000000000000004");
}

TEST(RunJournal, FieldsAreQuotedAsCsvWants) {
    TJournalEntry entry{u"localhost:c:\\base.fdb",
                        u"memória \"a\",b.txt",
                        7,
                        42,
                        u"00 101",
                        45366,
                        u"SERIAL   ",
                        1,
                        2,
                        0.25,
                        0,
                        u"A",
                        "2024-03-15T10:20:30-03:00/4711"};
    EXPECT_EQ(JournalRow(entry, "T"),
              "T,localhost:c:\\base.fdb,\"memória \"\"a\"\",b.txt\",7,42,00 101,2024-03-15,"
              "SERIAL   ,1,2,0.25,0,A,2024-03-15T10:20:30-03:00/4711\r\n");
    entry.OldState.reset();
    EXPECT_THAT(JournalRow(entry, "T"),
                ::testing::EndsWith(",0.25,0,,2024-03-15T10:20:30-03:00/4711\r\n"));
    EXPECT_THAT(JournalRow(entry, "T", false), ::testing::EndsWith("SERIAL   ,1,2,0.25,0\r\n"));
    // std::regex: GoogleTest's own on Windows knows no brackets.
    const std::string identity = RunIdentity();
    EXPECT_TRUE(
        std::regex_match(identity, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:"
                                              "[0-9]{2}[-+][0-9]{2}:[0-9]{2}/[0-9]+")))
        << identity;
}

TEST(RunJournal, HeaderOnceAndRowsTakenBack) {
    ortavo::testing::TempFolder folder;
    const std::string path = folder.File("j.csv");
    TJournalEntry entry{u"db", u"f", 1, 1, u"d", 45366, u"s", 1, 2, 3, 4, u"A", "R"};
    {
        TRunJournal journal(FromUtf8(path));
        journal.Append(entry);
        journal.Append(entry);
        journal.Retract();
    }
    {
        TRunJournal journal(FromUtf8(path));
        journal.Append(entry);
    }
    // The bytes as written: the header once, then each row with one CR LF (never \r\r\n).
    const std::string text = Contents(path);
    std::string expected(JournalHeader);
    int rows = 0;
    while (expected.size() < text.size() && rows < 3) {
        const std::size_t at = expected.size();
        expected += JournalRow(entry, text.substr(at, text.find(',', at) - at));
        ++rows;
    }
    EXPECT_EQ(text, expected);
    EXPECT_EQ(rows, 2);
    const String dir = FromUtf8(folder.Path().string());
    try {
        TRunJournal journal(dir);
        ADD_FAILURE() << "a folder taken for the journal";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), u"Cannot write the journal \"" + dir + u"\". Is a directory");
    }
}

// A journal begun before marks were kept goes on in its own 12 columns, and reads back.
TEST(RunJournal, AnOldJournalKeepsItsColumns) {
    ortavo::testing::TempFolder folder;
    const std::string path =
        folder.Write("old.csv", std::string(JournalHeaderWithoutMarks) +
                                    "T,db,f,2,1,d,2024-03-15,s,0.1,1.5,0,0\r\n");
    TJournalEntry entry{u"db", u"f", 3, 2, u"d", 45366, u"s", 1, 2, 3, 4, u"A", "R"};
    {
        TRunJournal journal(FromUtf8(path));
        EXPECT_FALSE(journal.KeepsMarks());
        journal.Append(entry);
    }
    const std::string text = Contents(path);
    EXPECT_THAT(text, ::testing::EndsWith(",2,d,2024-03-15,s,1,2,3,4\r\n"));
    const TJournal read = ReadJournal(FromUtf8(path));
    EXPECT_FALSE(read.Marks);
    ASSERT_EQ(read.Rows.size(), 2u);
    EXPECT_EQ(read.Rows[0].OldDiscount, 0.1);
    EXPECT_EQ(read.Rows[1].Line, 3);
    EXPECT_EQ(read.Rows[1].OldState, std::nullopt);
    EXPECT_EQ(SelectSales(read, "db", TRunChoice::Latest).size(), 2u);
}

TEST(RunJournal, AMalformedJournalNamesItsLine) {
    const std::string header(JournalHeader);
    const std::string row = "T,db,f,2,1,d,2024-03-15,s,0.1,1.5,0,0,A,R\r\n";
    const struct {
        std::string Text;
        std::string Error;
    } cases[] = {
        {"", "J line 1: no header."},
        {"time,database\r\n", "J line 1: not a journal's header."},
        {header + row + "T,db,f,2,1,d,2024-03-15,s,0.1,1.5,0,0\r\n",
         "J line 3: 12 fields where the header has 14."},
        {header + "T,db,\"f\r\nx\",2,x,d,2024-03-15,s,0.1,1.5,0,0,A,R\r\n",
         "J line 2: sequence \"x\" is not a whole number."},
        {header + row + "T,db,f,2,1,d,2024-03-15,s,0,1,5,0,0,A,R\r\n",
         "J line 3: 15 fields where the header has 14."},
        {header + "T,db,f,2,1,d,2024-03-15,s,0.1,1.5,0,1e400,A,R\r\n",
         "J line 2: new_surcharge \"1e400\" does not read back as a number."},
        {header + "T,db,f,2,1,d,2024-03-15,s,0.1,1.5,0,0,A,R\r\n" + "T,\"db",
         "J line 3: a quoted field is not closed."},
        {header + "T,d\"b,f\r\n", "J line 2: a quote inside a field that is not quoted."},
        {header + "T,\"db\"x,f\r\n", "J line 2: text after a quoted field."},
    };
    for (const auto& c : cases) {
        try {
            ParseJournal(c.Text, u"J");
            ADD_FAILURE() << "accepted: " << c.Text;
        } catch (const EJournalFormat& e) {
            EXPECT_EQ(std::string(e.what()), c.Error) << c.Text;
        }
    }
    // A lone LF ends a row as well, the last row needs no line end, quotes hold anything.
    const TJournal journal =
        ParseJournal(header + "T,\"d,\"\"b\",f,2,1,d,2024-03-15,s,0.1,1.5,0,0,,R\n" +
                         row.substr(0, row.size() - 2),
                     u"J");
    ASSERT_EQ(journal.Rows.size(), 2u);
    EXPECT_EQ(journal.Rows[0].Database, "d,\"b");
    EXPECT_EQ(journal.Rows[0].OldState, std::nullopt);
    EXPECT_EQ(journal.Rows[1].Line, 3);
    EXPECT_EQ(journal.Rows[1].OldState, "A");
}

// Per sale: the old values of its first chosen row, the new ones of its last; sales in the
// order of their first rows; only the database asked for, exactly as written.
TEST(RunJournal, ChoosingTheSalesToRestore) {
    auto row = [](std::string run, std::string db, std::int32_t sequence, double oldDiscount,
                  double newDiscount, std::optional<std::string> state) {
        return TJournalRow{0, std::move(run),  std::move(db), sequence, oldDiscount, newDiscount, 0,
                           0, std::move(state)};
    };
    TJournal journal;
    journal.Rows = {row("r1", "db", 7, 1, 2, "A"),    row("r1", "db", 3, 5, 6, std::nullopt),
                    row("r1", "other", 9, 1, 2, "A"), row("r2", "db", 7, 2, 4, "P"),
                    row("r2", "db", 8, 0, 1, "B"),    row("r3", "other", 9, 1, 2, "A")};
    auto summary = [](const std::vector<TSaleRestore>& sales) {
        std::vector<std::string> texts;
        for (const TSaleRestore& sale : sales)
            texts.push_back(RestoreLine(sale, TSaleOutcome::Conflict, sale.Old));
        return texts;
    };
    using ::testing::ElementsAre;
    EXPECT_THAT(summary(SelectSales(journal, "db", TRunChoice::Latest)),
                ElementsAre("conflict 7: holds 2/0/P, journal says 4/0/P",
                            "conflict 8: holds 0/0/B, journal says 1/0/P"));
    EXPECT_THAT(summary(SelectSales(journal, "db", TRunChoice::All)),
                ElementsAre("conflict 7: holds 1/0/A, journal says 4/0/P",
                            "conflict 3: holds 5/0/, journal says 6/0/P",
                            "conflict 8: holds 0/0/B, journal says 1/0/P"));
    EXPECT_THAT(summary(SelectSales(journal, "db", TRunChoice::One, "r1")),
                ElementsAre("conflict 7: holds 1/0/A, journal says 2/0/P",
                            "conflict 3: holds 5/0/, journal says 6/0/P"));
    EXPECT_TRUE(SelectSales(journal, "db", TRunChoice::One, "r3").empty());
    EXPECT_TRUE(SelectSales(journal, "DB", TRunChoice::All).empty());
    const TSaleRestore sale{7, {}, {}};
    EXPECT_EQ(RestoreLine(sale, TSaleOutcome::Restored, {}), "restored 7");
    EXPECT_EQ(RestoreLine(sale, TSaleOutcome::Unchanged, {}), "unchanged 7");
    EXPECT_EQ(RestoreLine(sale, TSaleOutcome::Missing, {}), "missing 7");
    TRestoreTally tally;
    tally.Sales = 4;
    for (TSaleOutcome outcome : {TSaleOutcome::Restored, TSaleOutcome::Conflict,
                                 TSaleOutcome::Restored, TSaleOutcome::Missing})
        tally.Count(outcome);
    EXPECT_EQ(tally.Summary(), "summary: 4 sales, 2 restored, 0 unchanged, 1 conflicts, 1 missing");
}

TEST(RunReport, RowsAndSummary) {
    TCouponRecord coupon;
    coupon.Line = 3;
    coupon.Document = u"001,2";
    EXPECT_EQ(ReportRow(coupon, TCouponOutcome::Failed), "3,\"001,2\",,,failed,,,,,\r\n");
    coupon.Discount = 0.1;
    coupon.Surcharge = 1.5;
    coupon.Printer = u"SERIAL";
    coupon.IssueDate = 45366;
    EXPECT_EQ(ReportRow(coupon, TCouponOutcome::NotFound),
              "3,\"001,2\",2024-03-15,SERIAL,not_found,,,,0.1,1.5\r\n");
    coupon.Sale = TFoundSale{42, 0.30000000000000004, 0};
    EXPECT_EQ(ReportRow(coupon, TCouponOutcome::WouldOverwrite),
              "3,\"001,2\",2024-03-15,SERIAL,would_overwrite,42,0.30000000000000004,0,0.1,1.5\r\n");

    TCouponTally tally;
    for (TCouponOutcome outcome : {TCouponOutcome::Equal, TCouponOutcome::Overwritten,
                                   TCouponOutcome::NotFound, TCouponOutcome::Overwritten})
        tally.Count(outcome);
    EXPECT_EQ(tally.Summary(false), "summary: 4 coupons, 1 equal, 2 overwritten, 1 not found");
    EXPECT_EQ(tally.Summary(true),
              "summary: 4 coupons, 1 equal, 2 would be overwritten, 1 not found");
    tally.Count(TCouponOutcome::Failed);
    EXPECT_EQ(tally.Summary(false),
              "summary: 5 coupons, 1 equal, 2 overwritten, 1 not found, 1 failed");

    // The file starts empty with its header, whatever it held.
    ortavo::testing::TempFolder folder;
    const std::string path = folder.Write("report.csv", "old text");
    {
        TRunReport report(FromUtf8(path));
        report.Add(coupon, TCouponOutcome::Equal);
    }
    EXPECT_EQ(Contents(path), std::string(ReportHeader) + ReportRow(coupon, TCouponOutcome::Equal));
    EXPECT_THROW(TRunReport(FromUtf8(folder.Path().string())), EStreamError);
}
