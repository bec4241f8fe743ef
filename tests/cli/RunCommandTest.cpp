// `ortavo-cli run` end to end: the real program on business-shaped databases and files the
// test writes; its standard output, standard error, exit codes, dry run and journal.
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
    EXPECT_EQ(result.Err, "notice: Concluído\n");
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
    EXPECT_EQ(bad.Err, "error: Invalid date.\n");
    EXPECT_EQ(Messages(bad.Out).back(), "Data: 30/02/2024");

    db.Execute("DROP PROCEDURE INICIA_APLICACAO");
    const TResult noProcedure = Cli(
        {"run", ToUtf8(db.Name()), Write({HeaderLine(), CouponLine("000101", "20240315", 5, 0)})});
    EXPECT_EQ(noProcedure.Status, 1);
    EXPECT_THAT(noProcedure.Err, ::testing::StartsWith("error: "));
    EXPECT_NE(noProcedure.Err.find("INICIA_APLICACAO"), std::string::npos) << noProcedure.Err;
    EXPECT_EQ(noProcedure.Err.find('\r'), std::string::npos);
}

TEST_P(RunCommand, ADryRunAndTheJournal) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    const std::string file = Write({HeaderLine(), CouponLine("000101", "20240315", 5, 1)});
    const std::string journal = Folder.File("journal.csv");
    const TResult dry = Cli({"run", "--dry-run", "--journal", journal, ToUtf8(db.Name()), file});
    EXPECT_EQ(dry.Status, 0) << dry.Err;
    EXPECT_EQ(Messages(dry.Out).at(9), "PROCESSADO 1");
    EXPECT_EQ(db.Sale(1).State, "A");
    EXPECT_EQ(db.StartCalls(), 0);

    const TResult real = Cli({"run", "--journal=" + journal, ToUtf8(db.Name()), file});
    EXPECT_EQ(real.Status, 0) << real.Err;
    EXPECT_EQ(db.Sale(1).State, "P");
    const std::string rows = Contents(journal);
    EXPECT_THAT(rows, ::testing::MatchesRegex(
                          "time,database,file,line,sequence,document,issue_date,printer,"
                          "old_discount,new_discount,old_surcharge,new_surcharge\r\n"
                          "[-0-9T:+]+," +
                          ToUtf8(db.Name()) + "," + file + ",2,1,000101,2024-03-15," + Serial +
                          ",0,0.05,0,0.01\r\n"));

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
              "--dry-run", "--journal FILE", "--lock-timeout SECONDS", "--no-statement-cache"})
            EXPECT_NE(synopsis.find(option), std::string::npos) << option;
        EXPECT_EQ(err, "");
    }
    auto [status, out, err] = run("--version");
    EXPECT_EQ(status, 0);
    EXPECT_THAT(out, ::testing::MatchesRegex("ortavo-cli [0-9.]+\n"));
    for (const char* wrong : {"", "frobnicate", "run", "run a", "run a b c", "run --user",
                              "run --bogus a b", "--helpme"}) {
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
