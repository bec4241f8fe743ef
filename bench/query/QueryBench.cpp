// Query benchmarks, each beside a reference doing the same work in the same run; not a test.
//   bench_query [rows=1000000] [coupons=20000] [runs=3]
// 1. ortavo-cli query reading a five-column table beside a program that fetches the same rows
//    through the client calls directly and writes the same text (and, for the engine's
//    floor, only fetches them), and beside isql-fb, embedded and over loopback: medians of
//    wall and CPU time, rows per second, peak memory.
// 2. The run's select pattern (text change, four binds, Open, FetchAll, three reads) through
//    TIBQuery beside the same statements made with direct client calls.
#include "IBX/client/IB.h"
#include "IBX/client/IBIntf.h"
#include "IBX/client/fixtures/RawClient.h"
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBQuery.h"
#include "base/DateTime.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace ortavo;
using ortavo::testing::LoginDPB;
using ortavo::testing::SysdbaPassword;

namespace {

IGDSLibrary& Client() {
    static std::shared_ptr<IGDSLibrary> library = GetGDSLibrary(u"IBServer");
    library->CheckIBLoaded();
    return *library;
}

void Check(ISC_STATUS status) {
    if (status > 0)
        RaiseDatabaseError(&Client());
}

void CreateDatabase(const std::string& name) {
    const std::string sql = "CREATE DATABASE '" + name + "' USER 'SYSDBA' PASSWORD '" +
                            SysdbaPassword() + "' PAGE_SIZE 8192";
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    Check(Client().isc_dsql_execute_immediate(ThreadStatusVector(), &db, &tr, 0, sql.c_str(), 3,
                                              nullptr));
    Check(Client().isc_detach_database(ThreadStatusVector(), &db));
}

struct TConnection {
    TIBDatabase Base;
    TIBTransaction TR;
    TIBQuery Query;
    explicit TConnection(const std::string& name) {
        Base.SetDatabaseName(FromUtf8(name));
        Base.Params().Add(u"user_name=SYSDBA");
        Base.Params().Add(u"password=" + FromUtf8(SysdbaPassword()));
        Base.SetLoginPrompt(false);
        TR.SetDefaultAction(TIBTransactionAction::TACommitRetaining);
        Base.SetDefaultTransaction(&TR);
        Query.SetDatabase(&Base);
        Query.SetTransaction(&TR);
        Query.SetBufferChunks(1000);
        Query.SetCachedUpdates(true);
        Base.Open();
    }
    void Exec(const std::string& sql) {
        Query.Close();
        Query.SQL().Clear();
        Query.SQL().Add(FromUtf8(sql));
        Query.ExecSQL();
        TR.CommitRetaining();
    }
};

void Populate(const std::string& name, int rows, int coupons) {
    TConnection c(name);
    // The blocks' own variables are no parameters.
    c.Query.SetParamCheck(false);
    c.Exec("CREATE TABLE T (ID INTEGER, NAME VARCHAR(30), AMOUNT NUMERIC(15,2), "
           "RATE DOUBLE PRECISION, D DATE)");
    c.Exec("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(rows) +
           ") DO BEGIN INSERT INTO T VALUES (:I, 'CLIENTE ' || :I, :I * 0.01, :I / 7e0, "
           "DATEADD(MOD(:I, 3000) DAY TO DATE '2015-01-01')); I = I + 1; END END");
    c.Exec("CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER NOT NULL PRIMARY KEY, PAI_FILIAL INTEGER, "
           "PAI_IMPRESSORA VARCHAR(20), PAI_DTEMISSAO DATE, PAI_DOCUMENTO VARCHAR(6), "
           "PAI_DESCONTO NUMERIC(15,2), PAI_ACRESCIMO NUMERIC(15,2), PAI_ESTADO CHAR(1))");
    c.Exec("CREATE INDEX MVTO_PAI_DOC ON MVTO_PAI (PAI_DOCUMENTO)");
    c.Exec("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(coupons) +
           ") DO BEGIN INSERT INTO MVTO_PAI VALUES (:I, 1, 'BE0123456789', "
           "DATE '2024-03-05', LPAD(:I, 6, '0'), 1.50, 0, NULL); I = I + 1; END END");
}

struct TRun {
    double Seconds = 0;
    // User and system time: less sensitive than the wall time to a busy machine.
    double CpuSeconds = 0;
    long PeakKiB = 0;
};

// Runs a command with stdout to /dev/null; wall and CPU time and the child's peak memory.
TRun Spawn(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    TRun run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakKiB = usage.ru_maxrss;
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.CpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("command failed: " + args[0]);
    return run;
}

// The median of each measure on its own.
TRun Median(std::vector<TRun> runs) {
    TRun median;
    for (auto measure : {&TRun::Seconds, &TRun::CpuSeconds}) {
        std::sort(runs.begin(), runs.end(),
                  [measure](const TRun& a, const TRun& b) { return a.*measure < b.*measure; });
        median.*measure = runs[runs.size() / 2].*measure;
    }
    std::sort(runs.begin(), runs.end(),
              [](const TRun& a, const TRun& b) { return a.PeakKiB < b.PeakKiB; });
    median.PeakKiB = runs[runs.size() / 2].PeakKiB;
    return median;
}

const char* const ListingSelect = "SELECT ID, NAME, AMOUNT, RATE, D FROM T";

void AppendNumber(std::string& line, auto value) {
    char digits[32];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The listing's text of the benchmark table's row, written by hand: the integer, the name
// (plain ASCII here, so escaping finds nothing), the amount without trailing zeros, the
// double in 15 significant digits, the date as yyyy-mm-dd.
void AppendRow(std::string& line, std::int32_t id, std::string_view name, std::int64_t cents,
               double rate, ISC_DATE date) {
    AppendNumber(line, id);
    line += '\t';
    for (char c : name) {
        if (c == '\\' || c == '\t' || c == '\n' || c == '\r')
            line += '\\';
        line += c;
    }
    line += '\t';
    if (cents < 0)
        line += '-';
    const std::uint64_t magnitude =
        cents < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(cents) : std::uint64_t(cents);
    AppendNumber(line, magnitude / 100);
    if (const std::uint64_t fraction = magnitude % 100; fraction != 0) {
        line += '.';
        line += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            line += static_cast<char>('0' + fraction % 10);
    }
    line += '\t';
    char digits[32];
    line.append(
        digits,
        std::to_chars(digits, digits + sizeof digits, rate, std::chars_format::general, 15).ptr);
    line += '\t';
    tm day{};
    Client().isc_decode_sql_date(&date, &day);
    const auto fixed = [&line](int value, int width) {
        for (int unit = width == 4 ? 1000 : 10; unit > 0; unit /= 10)
            line += static_cast<char>('0' + value / unit % 10);
    };
    fixed(day.tm_year + 1900, 4);
    line += '-';
    fixed(day.tm_mon + 1, 2);
    line += '-';
    fixed(day.tm_mday, 2);
    line += '\n';
}

// The reference for the listing: the rows through the client calls directly, written as
// the listing writes them (or only fetched, for the engine's floor).
void DirectListing(const std::string& name, bool text) {
    IGDSLibrary& client = Client();
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    isc_stmt_handle stmt = 0;
    const std::string dpb = LoginDPB("SYSDBA", SysdbaPassword());
    Check(ortavo::testing::Attach(name, &db, dpb));
    Check(client.isc_start_transaction(ThreadStatusVector(), &tr, 1, &db, 0, nullptr));
    Check(client.isc_dsql_alloc_statement2(ThreadStatusVector(), &db, &stmt));
    Check(client.isc_dsql_prepare(ThreadStatusVector(), &tr, &stmt, 0, ListingSelect, 3, nullptr));
    alignas(XSQLDA) char area[XSQLDA_LENGTH(5)] = {};
    auto* out = reinterpret_cast<XSQLDA*>(area);
    out->version = SQLDA_VERSION1;
    out->sqln = 5;
    Check(client.isc_dsql_describe(ThreadStatusVector(), &stmt, 1, out));
    std::int32_t id = 0;
    char nameBuffer[2 + 32] = {};
    std::int64_t amount = 0;
    double rate = 0;
    ISC_DATE date = 0;
    short nulls[5] = {};
    void* data[5] = {&id, nameBuffer, &amount, &rate, &date};
    for (int i = 0; i < 5; ++i) {
        out->sqlvar[i].sqldata = static_cast<char*>(data[i]);
        out->sqlvar[i].sqlind = &nulls[i];
    }
    Check(client.isc_dsql_execute(ThreadStatusVector(), &tr, &stmt, 1, nullptr));
    std::string line = "ID\tNAME\tAMOUNT\tRATE\tD\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    while (client.isc_dsql_fetch(ThreadStatusVector(), &stmt, 1, out) == 0) {
        if (!text)
            continue;
        line.clear();
        std::uint16_t length = 0;
        std::memcpy(&length, nameBuffer, sizeof length);
        AppendRow(line, id, std::string_view(nameBuffer + 2, length), amount, rate, date);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    Check(client.isc_dsql_free_statement(ThreadStatusVector(), &stmt, DSQL_drop));
    Check(client.isc_commit_transaction(ThreadStatusVector(), &tr));
    Check(client.isc_detach_database(ThreadStatusVector(), &db));
}

void ListingBench(const std::string& label, const std::string& name, const std::string& folder,
                  int rows, int repeats) {
    const std::string script = folder + "/select.sql";
    std::ofstream(script) << "SET HEADING ON;\n" << ListingSelect << ";\n";
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::vector<TRun> cli, text, fetch, isql;
    for (int i = 0; i < repeats; ++i) {
        cli.push_back(Spawn({ORTAVO_CLI, "query", "--user", "SYSDBA", "--password",
                             SysdbaPassword(), name, ListingSelect}));
        text.push_back(Spawn({self, "direct", name, "text"}));
        fetch.push_back(Spawn({self, "direct", name, "fetch"}));
        isql.push_back(
            Spawn({"isql-fb", "-q", "-u", "SYSDBA", "-p", SysdbaPassword(), "-i", script, name}));
    }
    const TRun c = Median(cli);
    std::printf("%-9s ortavo-cli query    : %7.3f s  cpu %7.3f s  %9.0f rows/s  peak %7ld KiB\n",
                label.c_str(), c.Seconds, c.CpuSeconds, rows / c.Seconds, c.PeakKiB);
    for (const auto& [what, runs] :
         {std::pair{"direct fetch, text ", &text}, std::pair{"direct fetch only  ", &fetch},
          std::pair{"isql-fb            ", &isql}}) {
        const TRun r = Median(*runs);
        std::printf("%-9s %s: %7.3f s  cpu %7.3f s  %9.0f rows/s  peak %7ld KiB   "
                    "ortavo-cli / this: wall %.2f cpu %.2f\n",
                    label.c_str(), what, r.Seconds, r.CpuSeconds, rows / r.Seconds, r.PeakKiB,
                    c.Seconds / r.Seconds, c.CpuSeconds / r.CpuSeconds);
    }
}

String Document(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", i);
    return FromUtf8(text);
}

const char16_t* const CouponSelect =
    u"SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE PAI_FILIAL = :FILIAL "
    u"AND PAI_IMPRESSORA = :ECF AND PAI_DTEMISSAO = :DTEMISSAO AND PAI_DOCUMENTO = :DOCUMENTO ";

double DataSetPattern(const std::string& name, int coupons) {
    TConnection c(name);
    const TDateTime date = EncodeDate(2024, 3, 5);
    double check = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < coupons; ++i) {
        c.Query.Close();
        c.Query.SQL().Clear();
        c.Query.SQL().Add(CouponSelect);
        c.Query.ParamByName(u"FILIAL").SetAsString(u"1");
        c.Query.ParamByName(u"ECF").SetAsString(u"BE0123456789");
        c.Query.ParamByName(u"DTEMISSAO").SetAsDate(date);
        c.Query.ParamByName(u"DOCUMENTO").SetAsString(Document(i));
        c.Query.Open();
        c.Query.FetchAll();
        if (c.Query.RecordCount() > 0)
            check += c.Query.FieldByName(u"PAI_SEQU").AsInteger() +
                     c.Query.FieldByName(u"PAI_DESCONTO").AsFloat() +
                     c.Query.FieldByName(u"PAI_ACRESCIMO").AsFloat();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (check <= 0)
        throw std::runtime_error("the dataset pattern found no sale");
    return seconds;
}

// The same statements through the client calls: prepare each time, bind four texts and a
// date, execute, fetch every row, read three values.
double DirectPattern(const std::string& name, int coupons) {
    TConnection c(name);
    IGDSLibrary& client = Client();
    c.TR.StartTransaction();
    isc_db_handle* db = c.Base.HandleAddress();
    isc_tr_handle* tr = c.TR.HandleAddress();
    const std::string text = "SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE "
                             "PAI_FILIAL = ? AND PAI_IMPRESSORA = ? AND PAI_DTEMISSAO = ? AND "
                             "PAI_DOCUMENTO = ? ";
    alignas(XSQLDA) char inArea[XSQLDA_LENGTH(4)] = {};
    alignas(XSQLDA) char outArea[XSQLDA_LENGTH(3)] = {};
    auto* in = reinterpret_cast<XSQLDA*>(inArea);
    auto* out = reinterpret_cast<XSQLDA*>(outArea);
    double check = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < coupons; ++i) {
        isc_stmt_handle stmt = 0;
        Check(client.isc_dsql_alloc_statement2(ThreadStatusVector(), db, &stmt));
        Check(
            client.isc_dsql_prepare(ThreadStatusVector(), tr, &stmt, 0, text.c_str(), 3, nullptr));
        in->version = SQLDA_VERSION1;
        in->sqln = 4;
        Check(client.isc_dsql_describe_bind(ThreadStatusVector(), &stmt, 1, in));
        out->version = SQLDA_VERSION1;
        out->sqln = 3;
        Check(client.isc_dsql_describe(ThreadStatusVector(), &stmt, 1, out));
        const std::string filial = "1", ecf = "BE0123456789", doc = ToUtf8(Document(i));
        const std::string* texts[] = {&filial, &ecf, nullptr, &doc};
        short nulls[4] = {0, 0, 0, 0};
        ISC_DATE date = 0;
        tm when{};
        when.tm_year = 124;
        when.tm_mon = 2;
        when.tm_mday = 5;
        client.isc_encode_sql_date(&when, &date);
        for (int p = 0; p < 4; ++p) {
            XSQLVAR& v = in->sqlvar[p];
            v.sqlind = &nulls[p];
            if (p == 2) {
                v.sqltype = SQL_TYPE_DATE + 1;
                v.sqllen = sizeof date;
                v.sqldata = reinterpret_cast<char*>(&date);
            } else {
                v.sqltype = SQL_TEXT + 1;
                v.sqllen = static_cast<short>(texts[p]->size());
                v.sqldata = const_cast<char*>(texts[p]->data());
            }
        }
        std::int32_t seq = 0;
        std::int64_t discount = 0, surcharge = 0;
        short outNulls[3] = {};
        out->sqlvar[0].sqldata = reinterpret_cast<char*>(&seq);
        out->sqlvar[1].sqldata = reinterpret_cast<char*>(&discount);
        out->sqlvar[2].sqldata = reinterpret_cast<char*>(&surcharge);
        for (int o = 0; o < 3; ++o)
            out->sqlvar[o].sqlind = &outNulls[o];
        Check(client.isc_dsql_execute2(ThreadStatusVector(), tr, &stmt, 1, in, nullptr));
        while (client.isc_dsql_fetch(ThreadStatusVector(), &stmt, 1, out) == 0)
            check +=
                seq + static_cast<double>(discount) / 100 + static_cast<double>(surcharge) / 100;
        Check(client.isc_dsql_free_statement(ThreadStatusVector(), &stmt, DSQL_drop));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (check <= 0)
        throw std::runtime_error("the direct pattern found no sale");
    return seconds;
}

void PatternBench(const std::string& label, const std::string& name, int coupons, int repeats) {
    std::vector<double> dataset, direct;
    for (int i = 0; i < repeats; ++i) {
        dataset.push_back(DataSetPattern(name, coupons));
        direct.push_back(DirectPattern(name, coupons));
    }
    std::sort(dataset.begin(), dataset.end());
    std::sort(direct.begin(), direct.end());
    const double d = dataset[dataset.size() / 2], r = direct[direct.size() / 2];
    std::printf("%-9s run pattern x%d: query %.3f s (%.0f/s), direct calls %.3f s (%.0f/s), "
                "ratio %.2f\n",
                label.c_str(), coupons, d, coupons / d, r, coupons / r, d / r);
}

} // namespace

int main(int argc, char** argv) {
    // The listing's reference: this executable started anew, like ortavo-cli, so both pay
    // for loading the client library and attaching.
    if (argc == 4 && std::string(argv[1]) == "direct") {
        try {
            DirectListing(argv[2], std::string(argv[3]) == "text");
            return 0;
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int coupons = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    std::string folder = (std::filesystem::temp_directory_path() / "ortavo-bench-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return 1;
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    int status = 0;
    try {
        const std::string embedded = folder + "/embedded.fdb";
        const std::string server = "localhost:" + folder + "/server.fdb";
        std::printf("load: ");
        std::fflush(stdout);
        if (std::system("uptime") != 0)
            std::printf("\n");
        for (const std::string& name : {embedded, server}) {
            CreateDatabase(name);
            Populate(name, rows, coupons);
        }
        // "dataset" or "direct" as a fourth argument runs only that side of the loopback
        // pattern once, for tracing.
        if (argc > 4) {
            const double seconds = std::string(argv[4]) == "dataset"
                                       ? DataSetPattern(server, coupons)
                                       : DirectPattern(server, coupons);
            std::printf("%s: %.3f s\n", argv[4], seconds);
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
            return 0;
        }
        ListingBench("embedded", embedded, folder, rows, repeats);
        ListingBench("loopback", server, folder, rows, repeats);
        PatternBench("embedded", embedded, coupons, repeats);
        PatternBench("loopback", server, coupons, repeats);
        std::printf("load: ");
        std::fflush(stdout);
        if (std::system("uptime") != 0)
            std::printf("\n");
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
