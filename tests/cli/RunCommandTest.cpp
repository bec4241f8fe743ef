// `ortavo-cli run` and `ortavo-cli restore` end to end: the real program on business-shaped
// databases and files the test writes; its standard output, standard error, exit codes, dry
// run, journal, report and summary, and the way back from the journal.
#include "RunFixture.h"

#include "IBX/connection/IBTransaction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ortavo;
using namespace ortavo::test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct TResult {
    int Status = -1;
    std::vector<std::string> Out;
    std::string Err;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class RunCommand : public ::testing::TestWithParam<TAccess> {
protected:
    // Runs the program with the words, in a locale with the point as decimal separator
    // unless the environment's assignments name another.
    TResult Cli(const std::vector<std::string>& words, const std::string& environment = "") {
        std::string command = "LC_ALL=C.UTF-8 " + environment + " " + Quoted(ORTAVO_CLI);
        for (const std::string& word : words)
            command += " " + Quoted(word);
        const std::string out = Folder.File("out"), err = Folder.File("err");
        command += " >" + Quoted(out) + " 2>" + Quoted(err);
        const int status = std::system(command.c_str());
        TResult result;
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.Out = Lines(Contents(out));
        result.Err = Contents(err);
        return result;
    }
    std::string Write(const std::vector<std::string>& lines) {
        return Folder.Write("memoria.txt", FiscalText(lines));
    }
    ortavo::testing::TempFolder Folder;
};

// The messages of the printed lines, checked to carry the "hh:mm:ss -> " stamp.
std::vector<std::string> Messages(const std::vector<std::string>& lines) {
    static const std::regex stamp("[0-2][0-9]:[0-5][0-9]:[0-5][0-9] -> (.*)");
    std::vector<std::string> messages;
    for (const std::string& line : lines) {
        std::smatch match;
        EXPECT_TRUE(std::regex_match(line, match, stamp)) << line;
        messages.push_back(match.size() > 1 ? match[1].str() : line);
    }
    return messages;
}

} // namespace

TEST_P(RunCommand, ARunPrintsItsLogAndEndsWithZero) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0.05", "0"});
    const std::string file = Write({HeaderLine(), CouponLine("000101", "20240315", 5, 1),
                                    CouponLine("000102", "20240315", 5, 0)});
    // The window's preset user, as the layout stores it.
    const TResult result = Cli({"run", ToUtf8(db.Name()), file});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err,
              "notice: Concluído\nsummary: 2 coupons, 1 equal, 1 overwritten, 0 not found\n");
    EXPECT_THAT(
        Messages(result.Out),
        ElementsAreArray(Joined({
            {"Conectado a base de dados " + ToUtf8(db.Name()), "Cnpj da empresa: 12345678000195"},
            CouponLog("000101", "0.05", "0.01"),
            {SaleLog(1, "0.00", "0.00"), "*****    Vai atualizar    *****", "PROCESSADO 1"},
            CouponLog("000102", "0.05", "0.00"),
            {SaleLog(2, "0.05", "0.00"), "Concluído"},
        })));
    EXPECT_EQ(db.Sale(1).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(1).Surcharge, 0.01);
}

TEST_P(RunCommand, EndsByItsOwnRulesWithThree) {
    TBusinessDatabase db(GetParam());
    const TResult refused =
        Cli({"run", ToUtf8(db.Database().MissingName()), Write({HeaderLine()})});
    EXPECT_EQ(refused.Status, 3);
    EXPECT_THAT(Messages(refused.Out),
                ElementsAre("Sem acesso a base de dados. Importação encerrada"));
    EXPECT_THAT(refused.Err, ::testing::MatchesRegex(
                                 "notice: Não conseguiu conectar a base de dados\nreason: .+\n"));

    const TResult missing = Cli({"run", ToUtf8(db.Name()), Folder.File("none.txt")});
    EXPECT_EQ(missing.Status, 3);
    EXPECT_EQ(Messages(missing.Out).back(), "Não foi encontrado o arquivo. Importação encerrada.");
    EXPECT_EQ(missing.Err, "");

    const TResult other = Cli({"run", ToUtf8(db.Name()), Write({HeaderLine("11111111000111")})});
    EXPECT_EQ(other.Status, 3);
    EXPECT_EQ(other.Err,
              "notice: ARQUIVO NÃO É DA EMPRESA DA BASE DE DADOS. IMPORTAÇÃO CANCELADA\n");

    const TResult empty = Cli({"run", ToUtf8(db.Name()), Write({})});
    EXPECT_EQ(empty.Status, 3);
    EXPECT_EQ(Messages(empty.Out).back(),
              "Arquivo não é Ato Cotepe 17/04. Validação não pode ser realizada.");
}

TEST_P(RunCommand, AnErrorEndsWithOneAndTheErrorBoxText) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    const TResult bad =
        Cli({"run", "--user", "SYSDBA", "--password", SysdbaPassword(), ToUtf8(db.Name()),
             Write({HeaderLine(), CouponLine("000101", "20240230", 5, 0)})});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "error: Invalid date.\nsummary: 1 coupons, 0 equal, 0 overwritten, 0 not "
                       "found, 1 failed\n");
    EXPECT_EQ(Messages(bad.Out).back(), "Data: 30/02/2024");

    db.Execute("DROP PROCEDURE INICIA_APLICACAO");
    const TResult noProcedure = Cli(
        {"run", ToUtf8(db.Name()), Write({HeaderLine(), CouponLine("000101", "20240315", 5, 0)})});
    EXPECT_EQ(noProcedure.Status, 1);
    EXPECT_THAT(noProcedure.Err, ::testing::StartsWith("error: "));
    EXPECT_NE(noProcedure.Err.find("INICIA_APLICACAO"), std::string::npos) << noProcedure.Err;
    EXPECT_EQ(noProcedure.Err.find('\r'), std::string::npos);
    // It ended before the coupons.
    EXPECT_EQ(noProcedure.Err.find("summary:"), std::string::npos);
}

TEST_P(RunCommand, ADryRunAndTheJournal) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    const std::string file = Write({HeaderLine(), CouponLine("000101", "20240315", 5, 1)});
    const std::string journal = Folder.File("journal.csv");
    const TResult dry = Cli({"run", "--dry-run", "--journal", journal, ToUtf8(db.Name()), file});
    EXPECT_EQ(dry.Status, 0) << dry.Err;
    EXPECT_EQ(Messages(dry.Out).at(9), "PROCESSADO 1");
    EXPECT_EQ(dry.Err, "notice: Concluído\nsummary: 1 coupons, 0 equal, 1 would be overwritten, 0 "
                       "not found\n");
    EXPECT_EQ(db.Sale(1).State, "A");
    EXPECT_EQ(db.StartCalls(), 0);

    const TResult real = Cli({"run", "--journal=" + journal, ToUtf8(db.Name()), file});
    EXPECT_EQ(real.Status, 0) << real.Err;
    EXPECT_EQ(db.Sale(1).State, "P");
    const std::string rows = Contents(journal);
    EXPECT_THAT(rows, ::testing::MatchesRegex(
                          "time,database,file,line,sequence,document,issue_date,printer,"
                          "old_discount,new_discount,old_surcharge,new_surcharge,old_state,run\r\n"
                          "[-0-9T:+]+," +
                          ToUtf8(db.Name()) + "," + file + ",2,1,000101,2024-03-15," + Serial +
                          ",0,0.05,0,0.01,A,[-0-9T:+]+/[0-9]+\r\n"));

    const TResult unwritable =
        Cli({"run", "--journal", Folder.Path().string(), ToUtf8(db.Name()), file});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_THAT(unwritable.Err, ::testing::StartsWith("error: Cannot write the journal"));
    EXPECT_TRUE(unwritable.Out.empty());
}

// stdout a pipe nobody reads any more: the run ends as on an error, rather than dying of
// the signal with no word said.
TEST_P(RunCommand, AClosedOutputEndsTheRunAsAnError) {
    TBusinessDatabase db(GetParam());
    const std::string file = Write({HeaderLine()});
    const std::string err = Folder.File("err");
    const std::vector<std::string> words = {ORTAVO_CLI, "run", ToUtf8(db.Name()), file};
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    char locale[] = "LC_ALL=C.UTF-8";
    char* environment[] = {locale, nullptr};
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ::close(pipe[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(pipe[1], 1);
        ::dup2(errFd, 2);
        ::execve(ORTAVO_CLI, argv.data(), environment);
        ::_exit(127);
    }
    ::close(pipe[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(Contents(err), "error: Cannot write to standard output.\n");
    EXPECT_EQ(db.StartCalls(), 0);
}

// The password from a file only its owner can read; never from the environment, never in
// any output.
TEST_P(RunCommand, APasswordFile) {
    TBusinessDatabase db(GetParam());
    const std::string file = Write({HeaderLine()});
    const std::string secret = Folder.Write("secret", "##480317\r\nsecond line\n");
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    const TResult run = Cli({"run", "--password-file", secret, ToUtf8(db.Name()), file});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const TResult query = Cli({"query", "--password-file", secret, ToUtf8(db.Name()),
                               "SELECT FL_CODIGO FROM FILIAIS ORDER BY 1"});
    EXPECT_EQ(query.Status, 0) << query.Err;
    EXPECT_THAT(query.Out, ElementsAre("FL_CODIGO", "1", "2"));

    // A wrong password in the file stays wrong whatever the shell exports (the embedded
    // engine checks no password).
    if (GetParam() == TAccess::Server) {
        const std::string wrong = Folder.Write("wrong", "not-it");
        ASSERT_EQ(::chmod(wrong.c_str(), 0600), 0);
        const TResult refused = Cli({"run", "--password-file", wrong, ToUtf8(db.Name()), file},
                                    "ISC_USER=VORAS ISC_PASSWORD='##480317'");
        EXPECT_EQ(refused.Status, 3);
        EXPECT_EQ(refused.Err.find("not-it"), std::string::npos);
    }

    // A byte order mark is no part of the password (the server checks it).
    const std::string marked = Folder.Write("marked", "\xEF\xBB\xBF##480317\r\n");
    ASSERT_EQ(::chmod(marked.c_str(), 0600), 0);
    EXPECT_EQ(Cli({"run", "--password-file=" + marked, ToUtf8(db.Name()), file}).Status, 0);
    // The longest line is taken: it is the server that may refuse it, not the command.
    const std::string longest = Folder.Write("longest", std::string(4096, 'x') + "\r\n");
    ASSERT_EQ(::chmod(longest.c_str(), 0600), 0);
    EXPECT_NE(Cli({"run", "--password-file", longest, ToUtf8(db.Name()), file}).Status, 2);

    // Refused as ssh refuses a key file, in the same words in every locale.
    struct TRefused {
        std::string Name, Text;
        mode_t Mode;
        std::string Reason;
    };
    const std::vector<TRefused> refused = {
        {"readable", "##480317\n", 0640, "mode 0640 lets others than its owner at it"},
        {"writable", "##480317\n", 0620, "mode 0620 lets others than its owner at it"},
        {"runnable", "##480317\n", 0601, "mode 0601 lets others than its owner at it"},
        {"empty", "", 0600, "its first line is empty"},
        {"blank", "\xEF\xBB\xBF\r\n##480317\n", 0600, "its first line is empty"},
        {"long", std::string(4097, 'x') + "\r\n", 0600, "its first line is longer than 4096"},
        {"others", "##480317\n", 0600, "owned by another user (uid 65534)"},
        {"missing", "", 0, "No such file or directory"},
    };
    for (const TRefused& c : refused) {
        std::string path = Folder.File(c.Name);
        if (c.Mode != 0) {
            path = Folder.Write(c.Name, c.Text);
            ASSERT_EQ(::chmod(path.c_str(), c.Mode), 0);
        }
        if (c.Name == "others" && (::geteuid() != 0 || ::chown(path.c_str(), 65534, 65534) != 0))
            continue; // only root gives a file away
        for (const char* command : {"run", "query"}) {
            const TResult open = Cli({command, "--password-file", path, ToUtf8(db.Name()), file},
                                     "LC_ALL=pt_BR.UTF-8");
            EXPECT_EQ(open.Status, 2) << c.Name;
            EXPECT_THAT(open.Err,
                        ::testing::StartsWith("error: password file \"" + path + "\": " + c.Reason))
                << c.Name;
            EXPECT_EQ(open.Err.find("480317"), std::string::npos);
            EXPECT_TRUE(open.Out.empty());
        }
    }
}

// A run with journal and report, then its way back: a sale changed since is a conflict and
// left alone, the others restored; a dry run keeps nothing; a restore again finds them
// unchanged; a journal that cannot be read changes nothing.
TEST_P(RunCommand, RestoreAfterARun) {
    TBusinessDatabase db(GetParam());
    const std::string name = ToUtf8(db.Name());
    db.AddSale({1, "000101", "2024-03-15", "0.1", "1.005"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0", Serial, 1, std::nullopt});
    db.AddSale({3, "000103", "2024-03-15", "0", "0"});
    const std::string file =
        Write({HeaderLine(), CouponLine("000101", "20240315", 5, 0),
               CouponLine("000102", "20240315", 2, 0), CouponLine("000109", "20240315", 0, 0),
               CouponLine("000103", "20240315", 3, 0)});
    const std::string journal = Folder.File("journal.csv"), report = Folder.File("report.csv");
    const TStoredSale one = db.Sale(1), two = db.Sale(2);
    const TResult run = Cli({"run", "--journal", journal, "--report=" + report, name, file});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_THAT(run.Err,
                ::testing::EndsWith("summary: 4 coupons, 0 equal, 3 overwritten, 1 not found\n"));
    EXPECT_THAT(Lines(Contents(report)), ElementsAre(::testing::StartsWith("line,document,"),
                                                     "2,000101,2024-03-15," + std::string(Serial) +
                                                         ",overwritten,1,0.1,1.01,0.05,0\r",
                                                     ::testing::HasSubstr(",overwritten,2,"),
                                                     ::testing::HasSubstr(",not_found,,"),
                                                     ::testing::HasSubstr(",overwritten,3,")));
    db.Execute("UPDATE MVTO_PAI SET PAI_DESCONTO = 9 WHERE PAI_SEQU = 3");

    const std::vector<std::string> lines = {"restored 1", "restored 2",
                                            "conflict 3: holds 9/0/P, journal says 0.03/0/P"};
    const std::string summary =
        "summary: 3 sales, 2 restored, 0 unchanged, 1 conflicts, 0 missing\n";
    const TResult dry = Cli({"restore", "--dry-run", journal, name});
    EXPECT_EQ(dry.Status, 4) << dry.Err;
    EXPECT_EQ(dry.Out, lines);
    EXPECT_EQ(dry.Err, summary);
    EXPECT_EQ(db.Sale(1).State, "P");

    const TResult restore = Cli({"restore", journal, name});
    EXPECT_EQ(restore.Status, 4) << restore.Err;
    EXPECT_EQ(restore.Out, lines);
    EXPECT_EQ(restore.Err, summary);
    EXPECT_EQ(db.Sale(1), one);
    EXPECT_EQ(db.Sale(2), two);
    EXPECT_DOUBLE_EQ(db.Sale(3).Discount, 9);

    db.Execute("UPDATE MVTO_PAI SET PAI_DESCONTO = 0.03 WHERE PAI_SEQU = 3");
    const TResult again = Cli({"restore", "--all", journal, name});
    EXPECT_EQ(again.Status, 0) << again.Err;
    EXPECT_THAT(again.Out, ElementsAre("unchanged 1", "unchanged 2", "restored 3"));
    EXPECT_EQ(again.Err, "summary: 3 sales, 1 restored, 2 unchanged, 0 conflicts, 0 missing\n");
    EXPECT_EQ(db.Sale(3), (TStoredSale{0, 0, "A"}));

    db.Execute("DELETE FROM MVTO_PAI WHERE PAI_SEQU = 2");
    const TResult missing = Cli({"restore", journal, name});
    EXPECT_EQ(missing.Status, 4);
    EXPECT_THAT(missing.Out, ElementsAre("unchanged 1", "missing 2", "unchanged 3"));

    const TResult noRun = Cli({"restore", "--run", "2024-01-01T00:00:00+00:00/1", journal, name});
    EXPECT_EQ(noRun.Status, 3);
    EXPECT_TRUE(noRun.Out.empty());
    EXPECT_EQ(noRun.Err, "notice: " + journal + " has no row for " + name + "\n");
    EXPECT_EQ(Cli({"restore", journal, name + "x"}).Status, 3);

    // One spoilt number: nothing is connected to, nothing changed.
    db.Execute("UPDATE MVTO_PAI SET PAI_DESCONTO = 0.05, PAI_ESTADO = 'P' WHERE PAI_SEQU = 1");
    std::string text = Contents(journal);
    text.replace(text.find(",0.1,"), 5, ",0.1x,");
    const std::string spoilt = Folder.Write("spoilt.csv", text);
    const TResult bad = Cli({"restore", spoilt, name});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_TRUE(bad.Out.empty());
    EXPECT_EQ(bad.Err, "error: " + spoilt +
                           " line 2: old_discount \"0.1x\" does not read back as a number.\n");
    EXPECT_EQ(db.Sale(1).State, "P");

    // A connection refused says why, as the run does.
    const std::string missingName = ToUtf8(db.Database().MissingName());
    const std::string elsewhere =
        Folder.Write("elsewhere.csv", std::string(JournalHeader) + "T," + missingName +
                                          ",f,2,1,d,2024-03-15,s,0,1,0,0,A,R\r\n");
    const TResult refused = Cli({"restore", elsewhere, missingName});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_THAT(refused.Err,
                ::testing::MatchesRegex(
                    "error: Não conseguiu conectar a base de dados\nreason: .+\n"
                    "summary: 1 sales, 0 restored, 0 unchanged, 0 conflicts, 0 missing\n"));
}

// Two runs over one sale: by default the latest is taken back, --run names one, --all goes
// back to before the first; a journal without marks restores the amounts and says so.
TEST_P(RunCommand, RestoreChoosesTheRuns) {
    TBusinessDatabase db(GetParam());
    const std::string name = ToUtf8(db.Name());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    const std::string journal = Folder.File("journal.csv");
    for (long long cents : {1, 2})
        ASSERT_EQ(Cli({"run", "--journal", journal, name,
                       Write({HeaderLine(), CouponLine("000101", "20240315", cents, 0)})})
                      .Status,
                  0);
    // The first run's identity: the last field of its row, before the CR.
    std::string run = Lines(Contents(journal)).at(1);
    run = run.substr(run.rfind(',') + 1);
    run.pop_back();

    const TResult latest = Cli({"restore", journal, name});
    EXPECT_EQ(latest.Status, 0) << latest.Err;
    EXPECT_THAT(latest.Out, ElementsAre("restored 1"));
    EXPECT_EQ(latest.Err, "summary: 1 sales, 1 restored, 0 unchanged, 0 conflicts, 0 missing\n");
    EXPECT_EQ(db.Sale(1), (TStoredSale{0.01, 0, "P"}));
    const TResult all = Cli({"restore", "--all", journal, name});
    EXPECT_EQ(all.Status, 4);
    EXPECT_THAT(all.Out, ElementsAre("conflict 1: holds 0.01/0/P, journal says 0.02/0/P"));
    const TResult first = Cli({"restore", "--run=" + run, journal, name});
    EXPECT_EQ(first.Status, 0) << first.Err;
    EXPECT_EQ(db.Sale(1), (TStoredSale{0, 0, "A"}));

    db.Execute("UPDATE MVTO_PAI SET PAI_ESTADO = 'P' WHERE PAI_SEQU = 1");
    const std::string old =
        Folder.Write("old.csv", std::string(JournalHeaderWithoutMarks) + "T," + name +
                                    ",f,2,1,000101,2024-03-15,s,0.5,0,0.25,0\r\n");
    const TResult marks = Cli({"restore", old, name});
    EXPECT_EQ(marks.Status, 0) << marks.Err;
    EXPECT_EQ(marks.Err, "notice: " + old +
                             " keeps no marks (12 columns): the amounts are restored, PAI_ESTADO "
                             "is left as it is\nsummary: 1 sales, 1 restored, 0 unchanged, 0 "
                             "conflicts, 0 missing\n");
    EXPECT_EQ(db.Sale(1), (TStoredSale{0.5, 0.25, "P"}));
}

INSTANTIATE_TEST_SUITE_P(Access, RunCommand, ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const ::testing::TestParamInfo<TAccess>& info) {
                             return AccessName(info.param);
                         });

TEST(RunCommandLine, HelpVersionAndUsage) {
    auto run = [](const std::string& args) {
        ortavo::testing::TempFolder folder;
        const std::string command = Quoted(ORTAVO_CLI) + " " + args + " >" +
                                    Quoted(folder.File("out")) + " 2>" + Quoted(folder.File("err"));
        const int status = std::system(command.c_str());
        return std::tuple(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                          Contents(folder.File("out")), Contents(folder.File("err")));
    };
    for (const char* help : {"--help", "-h"}) {
        auto [status, out, err] = run(help);
        EXPECT_EQ(status, 0);
        EXPECT_NE(out.find("ortavo-cli inspect FILE"), std::string::npos);
        // The synopsis names every option.
        const std::string synopsis = out.substr(0, out.find("\n\n"));
        for (const char* option :
             {"--user NAME", "--password TEXT | --password-file FILE", "--charset NAME",
              "--dry-run", "--journal FILE", "--report FILE", "--lock-timeout SECONDS",
              "--no-statement-cache", "--run RUN | --all", "JOURNAL DATABASE"})
            EXPECT_NE(synopsis.find(option), std::string::npos) << option;
        EXPECT_EQ(err, "");
    }
    auto [status, out, err] = run("--version");
    EXPECT_EQ(status, 0);
    EXPECT_THAT(out, ::testing::MatchesRegex("ortavo-cli [0-9.]+\n"));
    for (const char* wrong :
         {"", "frobnicate", "run", "run a", "run a b c", "run --user", "run --bogus a b",
          "--helpme", "restore a", "restore --all --run r a b", "restore --report r a b",
          "restore --lock-timeout 0 a b"}) {
        auto [status, out, err] = run(wrong);
        EXPECT_EQ(status, 2) << wrong;
        EXPECT_EQ(out, "") << wrong;
        EXPECT_NE(err.find("usage: ortavo-cli"), std::string::npos) << wrong;
    }
}

// Help counts where an option may stand, never as an option's value or after "--"; a
// mistyped option is named without its value.
TEST(RunCommandLine, HelpOnlyInAnOptionsPlace) {
    ortavo::testing::TempFolder folder;
    auto run = [&](const std::string& args) {
        const std::string command = Quoted(ORTAVO_CLI) + " " + args + " >" +
                                    Quoted(folder.File("out")) + " 2>" + Quoted(folder.File("err"));
        const int status = std::system(command.c_str());
        return std::tuple(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                          Contents(folder.File("out")), Contents(folder.File("err")));
    };
    const std::string missing = Quoted(folder.File("none.fdb"));
    for (const std::string& args :
         {"run --password -h " + missing + " f", std::string("run -- -h f"),
          "run --user=-h " + missing + " f"}) {
        auto [status, out, err] = run(args);
        EXPECT_EQ(status, 3) << args;
        EXPECT_EQ(out.find("usage:"), std::string::npos) << args;
    }
    auto [status, out, err] = run("run a b --help");
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("--lock-timeout SECONDS"), std::string::npos);
    EXPECT_NE(out.find("--password-file FILE"), std::string::npos);
    // The first line names what is wrong, never an option's value.
    const std::vector<std::pair<std::string, std::string>> wrong = {
        {"run --lock-timeout 0 a b", "--lock-timeout needs whole seconds from 1 to 32767"},
        {"run --lock-timeout 2x a b", "--lock-timeout needs whole seconds from 1 to 32767"},
        {"run --password secret --password-file f a b",
         "give --password or --password-file, not both"},
        {"run --password-file", "option --password-file needs a value"},
        {"run --pasword=secret a b", "unknown option --pasword"},
        {"run --dry-run=secret a b", "option --dry-run takes no value"},
        {"run --password=secret a b c", "run needs DATABASE and FILE; 3 names given"},
    };
    for (const auto& [args, what] : wrong) {
        auto [status, out, err] = run(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_EQ(err.substr(0, err.find('\n')), "ortavo-cli: " + what);
        EXPECT_EQ(err.find("secret"), std::string::npos) << err;
    }
}

// Another user's uncommitted update on the sale: with --lock-timeout the run waits that
// long and fails with the server's message, its coupon taken back.
TEST(RunCommandLocks, ALockedSaleIsWaitedForAtMostTheTimeout) {
    TBusinessDatabase db(TAccess::Server);
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    TIBDatabase holder;
    db.Database().Configure(holder);
    TIBTransaction lock;
    holder.SetDefaultTransaction(&lock);
    holder.Open();
    lock.StartTransaction();
    ExecuteIn(holder, lock, "UPDATE MVTO_PAI SET PAI_ACRESCIMO = 9 WHERE PAI_SEQU = 1");

    ortavo::testing::TempFolder folder;
    const std::string file =
        folder.Write("m.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 5, 0)}));
    const std::string command = "LC_ALL=C.UTF-8 " + Quoted(ORTAVO_CLI) + " run --lock-timeout 3 " +
                                Quoted(ToUtf8(db.Name())) + " " + Quoted(file) + " >" +
                                Quoted(folder.File("out")) + " 2>" + Quoted(folder.File("err"));
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto waited = std::chrono::steady_clock::now() - start;
    lock.Rollback();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    // The server's message for a wait that ran out; its lock manager counts the seconds
    // coarsely, so the wait is checked to have happened and ended, not to the second.
    EXPECT_THAT(Contents(folder.File("err")),
                ::testing::StartsWith("error: deadlock\nupdate conflicts with concurrent update"));
    EXPECT_THAT(Messages(Lines(Contents(folder.File("out")))),
                ::testing::Contains("*****    Vai atualizar    *****"));
    EXPECT_GE(waited, std::chrono::seconds(1));
    EXPECT_LT(waited, std::chrono::seconds(30));
    EXPECT_EQ(db.Sale(1).State, "A");
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0);
}
