// The parameter scan of statement texts: markers, quotes, comments and its failures.
#include "IBX/statements/IBSQLParamScan.h"

#include "IBX/connection/TestDatabase.h"

#include <gtest/gtest.h>

namespace ortavo::test {
namespace {

TEST(SQLParamScanTest, NamedMarkersBecomeQuestionMarks) {
    const TIBParamScan scan = ScanParams(u"SELECT * FROM T WHERE A = :A AND B=:b\r\n", false);
    EXPECT_EQ(scan.ProcessedSQL, u"SELECT * FROM T WHERE A = ? AND B=?\r\n");
    EXPECT_EQ(scan.Names, (std::vector<String>{u"A", u"b"}));

    const TIBParamScan accented = ScanParams(u"UPDATE T SET X=:Preço_1$,Y = :\"My P\" \r\n", false);
    EXPECT_EQ(accented.ProcessedSQL, u"UPDATE T SET X=?,Y = ? \r\n");
    EXPECT_EQ(accented.Names, (std::vector<String>{u"Preço_1$", u"\"My P\""}));
}

TEST(SQLParamScanTest, QuotesAndCommentsHideMarkers) {
    const String text = u"SELECT 'a:b', 'it''s :x', \"C:D\" /* :c ? */ FROM T WHERE A=:A -- x\r\n";
    const TIBParamScan scan = ScanParams(text, false);
    EXPECT_EQ(scan.ProcessedSQL,
              u"SELECT 'a:b', 'it''s :x', \"C:D\" /* :c ? */ FROM T WHERE A=? -- x\r\n");
    EXPECT_EQ(scan.Names, (std::vector<String>{u"A"}));
    // A line comment runs to the end of its line, markers included.
    const TIBParamScan line = ScanParams(u"SELECT 1 -- note: x ?\nFROM T WHERE A=:A --:b", false);
    EXPECT_EQ(line.ProcessedSQL, u"SELECT 1 -- note: x ?\nFROM T WHERE A=? --:b");
    EXPECT_EQ(line.Names, (std::vector<String>{u"A"}));
}

TEST(SQLParamScanTest, NamelessMarkersFailOrGetGeneratedNames) {
    ExpectClientError([] { ScanParams(u"SELECT * FROM T WHERE A = ? AND B = : \r\n", false); }, 55,
                      u"SQL Parse Error:\r\n\r\nParameter name expected");
    const TIBParamScan scan = ScanParams(u"SELECT * FROM T WHERE A = ? AND B = :\r\n", true);
    EXPECT_EQ(scan.ProcessedSQL, u"SELECT * FROM T WHERE A = ? AND B = ?\r\n");
    EXPECT_EQ(scan.Names, (std::vector<String>{u"IBXParam0", u"IBXParam1"}));
}

TEST(SQLParamScanTest, UnterminatedCommentOrStringFails) {
    ExpectClientError([] { ScanParams(u"SELECT 1 FROM T /* open\r\n", false); }, 55,
                      u"SQL Parse Error:\r\n\r\nEOF in comment detected");
    ExpectClientError([] { ScanParams(u"SELECT 'open FROM T\r\n", false); }, 55,
                      u"SQL Parse Error:\r\n\r\nEOF in string detected");
}

} // namespace
} // namespace ortavo::test
