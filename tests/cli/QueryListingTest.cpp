// The query listing end to end: the real program on databases the tests create.
#include "IBX/connection/TestDatabase.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace ortavo::test {
namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program in a locale with the arguments, each quoted for the shell; its standard
// output goes to the file output when one is named.
Result Query(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
             const std::string& output = "") {
    testing::TempFolder folder;
    const std::string errFile = (folder.Path() / "err").string();
    std::string command = "LC_ALL=" + locale + " '" ORTAVO_CLI "' query";
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " 2>" + Quote(errFile);
    if (!output.empty())
        command += " >" + Quote(output);
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    result.err = text.str();
    return result;
}

class QueryListingTest : public ::testing::TestWithParam<TAccess> {
protected:
    void SetUp() override {
        db = std::make_unique<TTestDatabase>(GetParam());
        db->Execute("CREATE TABLE T (ID INTEGER, NAME VARCHAR(20), CODE CHAR(6), "
                    "AMOUNT NUMERIC(15,2), RATE DOUBLE PRECISION, BIG BIGINT, D DATE, "
                    "TM TIME, TS TIMESTAMP, OK BOOLEAN, NOTE BLOB SUB_TYPE 1, "
                    "BIN BLOB SUB_TYPE 0)");
        db->Execute("INSERT INTO T VALUES (1, 'tab' || ASCII_CHAR(9) || 'nl' || ASCII_CHAR(10) "
                    "|| 'cr' || ASCII_CHAR(13) || 'bs\\', 'AB', 105900.00, 0.5, -5000000000, "
                    "'2024-03-05', '08:09:10', '2024-03-05 08:09:10.123', TRUE, 'memo', "
                    "x'0aff')");
        db->Execute("INSERT INTO T (ID, AMOUNT, RATE) VALUES (2, 12.50, 1e20)");
        db->Execute("GRANT SELECT ON T TO VORAS");
    }

    std::string Name() const { return ToUtf8(db->Name()); }

    std::unique_ptr<TTestDatabase> db;
};

INSTANTIATE_TEST_SUITE_P(Access, QueryListingTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(QueryListingTest, PrintsEveryRowThroughTheFields) {
    const Result r = Query({Name(), "SELECT * FROM T ORDER BY ID"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "ID\tNAME\tCODE\tAMOUNT\tRATE\tBIG\tD\tTM\tTS\tOK\tNOTE\tBIN\n"
                     "1\ttab\\tnl\\ncr\\rbs\\\\\tAB    \t105900\t0.5\t-5000000000\t2024-03-05\t"
                     "08:09:10\t2024-03-05 08:09:10.123\ttrue\tmemo\t0aff\n"
                     "2\t\\N\t\\N\t12.5\t1E20\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n");
}

TEST_P(QueryListingTest, RegionalSettingsAndOptions) {
    const Result r =
        Query({"--user=SYSDBA", "--password", SysdbaPassword(), Name(), "--charset=UTF8",
               "SELECT AMOUNT, RATE, CAST('ç' AS VARCHAR(5)) AS C FROM T WHERE ID = 2"},
              "pt_BR.UTF-8");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "AMOUNT\tRATE\tC\n12,5\t1E20\tç\n");
}

TEST_P(QueryListingTest, ValuesComeBackWhole) {
    db->Execute("CREATE TABLE W (ID INTEGER, TS TIMESTAMP, V VARCHAR(10) CHARACTER SET UTF8, "
                "E VARCHAR(5) CHARACTER SET UTF8, O CHAR(4) CHARACTER SET OCTETS, "
                "N NUMERIC(18,2), A INTEGER[3], N152 NUMERIC(15,2))");
    db->Execute("INSERT INTO W (ID, TS, V, E, O, N) VALUES (1, '1800-01-01 12:00', _UTF8 '" +
                ToUtf8(String(10, u'ã')) + "', _UTF8 '" + std::string("\xF0\x9F\x98\x80") +
                "', x'00ff0010', 92233720368547758.07)");
    db->Execute("INSERT INTO W (ID, TS, N152) VALUES (2, '0001-01-01 00:00:00.001', 1e16)");
    db->Execute("GRANT SELECT ON W TO VORAS");
    std::string twenty;
    for (int i = 0; i < 10; ++i)
        twenty += "Ã£";
    Result r = Query({Name(), "SELECT ID, TS, V, O, N, A FROM W /* :x */ -- y: z\nORDER BY ID"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "notice: column A is an array and is not listed\n");
    EXPECT_EQ(r.out, "ID\tTS\tV\tO\tN\n1\t1800-01-01 12:00:00\t" + twenty +
                         "\t00ff0010\t92233720368547758.07\n"
                         "2\t0001-01-01 00:00:00.001\t\\N\t\\N\t\\N\n");

    r = Query({"--charset", "UTF8", Name(), "SELECT V, E FROM W WHERE ID = 1 FOR UPDATE"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "V\tE\n" + ToUtf8(String(10, u'ã')) + "\t\xF0\x9F\x98\x80\n");

    // Beyond the currency range, also in a column that declares fewer digits.
    r = Query({Name(), "SELECT ID, N152 FROM W ORDER BY ID"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ID\tN152\n1\t\\N\n2\t10000000000000000\n");
}

TEST_P(QueryListingTest, AFailingRowEndsTheListingAfterTheRowsBeforeIt) {
    // Rows of 50 bytes: the 2,999 before the failing one are written in several pieces.
    const std::string pad(40, 'x');
    const Result r = Query(
        {Name(), "SELECT N, '" + pad +
                     "' AS P, 1 / (3000 - N) AS Q FROM (SELECT ROW_NUMBER() "
                     "OVER () AS N FROM RDB$TYPES A CROSS JOIN RDB$TYPES B) WHERE N <= 3100"});
    std::string expected = "N\tP\tQ\n";
    for (int n = 1; n < 3000; ++n)
        expected += std::to_string(n) + "\t" + pad + (n == 2999 ? "\t1\n" : "\t0\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err.rfind("error: ", 0), 0u) << r.err;
}

TEST_P(QueryListingTest, ErrorsAndUsage) {
    Result r = Query({Name(), "SELECT NOPE FROM T"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("error: Dynamic SQL Error", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("NOPE"), std::string::npos) << r.err;
    // Line ends as the run writes them.
    EXPECT_EQ(r.err.find('\r'), std::string::npos);

    r = Query({"--user", "SYSDBA", "--password", SysdbaPassword(), Name(), "DELETE FROM T"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Cannot \"open\" a non-select statement. Use ExecQuery.\n");
    EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM T"), 2);

    r = Query({"--user", "NOBODY", "--password", "wrong", "localhost:" + db->Path().string(),
               "SELECT 1 FROM RDB$DATABASE"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("error: ", 0), 0u);

    // Output that cannot be written fails the listing.
    r = Query({Name(), "SELECT * FROM T"}, "C.UTF-8", "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Cannot write to standard output.\n");

    // The usage error names the wrong argument, never an option's value.
    const std::string select = "SELECT 1 FROM RDB$DATABASE";
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{Name()}, "query needs DATABASE and SELECT; 1 name given"},
        {{"--password=secret", Name(), select, "extra"},
         "query needs DATABASE and SELECT; 3 names given"},
        {{Name(), select, "--user"}, "option --user needs a value"},
        {{"--bogus=secret", Name(), select}, "unknown option --bogus"},
        {{"--password", "secret", "--password-file", "f", Name(), select},
         "give --password or --password-file, not both"},
    };
    for (const auto& [args, what] : wrong) {
        r = Query(args);
        EXPECT_EQ(r.status, 2) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "ortavo-cli: " + what);
        EXPECT_EQ(r.err.find("secret"), std::string::npos) << r.err;
    }
    r = Query({"-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: ortavo-cli", 0), 0u);
}

} // namespace
} // namespace ortavo::test
