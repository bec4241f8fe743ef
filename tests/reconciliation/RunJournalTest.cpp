// The journal's texts and file: shortest round-trip amounts, CSV quoting, the header once,
// a row taken back.
#include "reconciliation/RunJournal.h"
#include "TempFolder.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
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
                        0};
    EXPECT_EQ(JournalRow(entry, "T"),
              "T,localhost:c:\\base.fdb,\"memória \"\"a\"\",b.txt\",7,42,00 101,2024-03-15,"
              "SERIAL   ,1,2,0.25,0\r\n");
}

TEST(RunJournal, HeaderOnceAndRowsTakenBack) {
    ortavo::testing::TempFolder folder;
    const std::string path = folder.File("j.csv");
    TJournalEntry entry{u"db", u"f", 1, 1, u"d", 45366, u"s", 1, 2, 3, 4};
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
    const std::string text = Contents(path);
    EXPECT_EQ(text.find("time,database"), 0u);
    EXPECT_EQ(text.find("time,", 1), std::string::npos);
    int rows = 0;
    for (std::size_t at = text.find(",db,"); at != std::string::npos;
         at = text.find(",db,", at + 1))
        ++rows;
    EXPECT_EQ(rows, 2);
    EXPECT_THROW(TRunJournal(FromUtf8(folder.Path().string())), EStreamError);
}
