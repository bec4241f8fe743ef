// The reconciliation run on N sales, beside references doing the same server work; not a
// test.   bench_run [sales=20000] [runs=3] [only: a case's name, as "Embedded/none"] [delay ms]
// ortavo-cli run is timed as a process (start, attach, file, every statement, exit), with
// the connection keeping its prepared statements and without (--no-statement-cache), beside
// two minimal programs calling the client directly (this executable started anew with
// "direct each|once|told DATABASE FILE"): the same statements and commits, each statement
// prepared anew per use, or prepared once and kept; "told" is the kept one doing what the
// run must besides: it writes the run's log lines, each one written out as it is made, and
// binds the branch as text. Two files: 20 % of the coupons differ,
// or none. Embedded and over loopback; medians of wall time, all five side by side per case.
// With a delay, the server is reached through a proxy holding each round trip back that
// long, as a network would, and each command's round trips are shown too.
#include "BusinessDatabase.h"
#include "CommitDropProxy.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace ortavo;
using namespace ortavo::test;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Check(ISC_STATUS status) {
    if (status > 0)
        RaiseDatabaseError(&Client());
}

// Sale i stores a discount of (i mod 500) cents; its coupon says so, or one cent more.
std::string WriteFile(const std::string& path, int sales, bool differing) {
    std::vector<std::string> lines{HeaderLine()};
    for (int i = 0; i < sales; ++i) {
        char document[16];
        std::snprintf(document, sizeof document, "%06d", i);
        const bool differs = differing && i % 5 == 0;
        lines.push_back(CouponLine(document, "20240315", i % 500 + (differs ? 1 : 0), 0));
    }
    std::ofstream(path, std::ios::binary) << FiscalText(lines);
    return path;
}

void Populate(TBusinessDatabase& db, int sales) {
    db.Execute("CREATE INDEX MVTO_PAI_DOCUMENTO ON MVTO_PAI (PAI_DOCUMENTO)");
    db.Execute("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(sales) +
               ") DO BEGIN INSERT INTO MVTO_PAI VALUES (:I, 1, '" + Serial +
               "', DATE '2024-03-15', LPAD(:I, 6, '0'), MOD(:I, 500) / 100.00, 0, 'A'); "
               "I = I + 1; END END");
}

void Reset(TBusinessDatabase& db) {
    db.Execute("UPDATE MVTO_PAI SET PAI_DESCONTO = MOD(PAI_SEQU, 500) / 100.00, "
               "PAI_ACRESCIMO = 0, PAI_ESTADO = 'A'");
}

// Runs a program with stdout and stderr to /dev/null; its wall time, start to exit.
double Spawn(std::vector<std::string> args) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = Since(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " " + args[1] + " failed");
    return seconds;
}

// A statement executed with the given input area, its rows fetched into the output area
// (when it has one). Prepared anew and freed each time, or (once) prepared at its first use
// and kept, its cursor closed after the rows.
class TDirect {
public:
    TDirect(isc_db_handle* db, isc_tr_handle* tr, bool once) : FDb(db), FTr(tr), FOnce(once) {}
    // Before the detach, as a program keeping statements must.
    void DropKept() {
        for (auto& [sql, stmt] : FKept)
            Check(Client().isc_dsql_free_statement(ThreadStatusVector(), &stmt, DSQL_drop));
        FKept.clear();
    }
    template <typename OnRow> void Run(const char* sql, XSQLDA* in, XSQLDA* out, OnRow&& onRow) {
        IGDSLibrary& client = Client();
        isc_stmt_handle stmt = 0;
        if (FOnce && FKept.contains(sql)) {
            stmt = FKept[sql];
        } else {
            Check(client.isc_dsql_alloc_statement2(ThreadStatusVector(), FDb, &stmt));
            Check(client.isc_dsql_prepare(ThreadStatusVector(), FTr, &stmt, 0, sql, 3, out));
        }
        Check(client.isc_dsql_execute(ThreadStatusVector(), FTr, &stmt, 1, in));
        if (out)
            while (client.isc_dsql_fetch(ThreadStatusVector(), &stmt, 1, out) == 0)
                onRow();
        if (!FOnce) {
            Check(client.isc_dsql_free_statement(ThreadStatusVector(), &stmt, DSQL_drop));
            return;
        }
        if (out)
            Check(client.isc_dsql_free_statement(ThreadStatusVector(), &stmt, DSQL_close));
        FKept[sql] = stmt;
    }
    void Run(const char* sql, XSQLDA* in) {
        Run(sql, in, nullptr, [] {});
    }

private:
    isc_db_handle* FDb;
    isc_tr_handle* FTr;
    bool FOnce;
    std::map<std::string, isc_stmt_handle> FKept;
};

// One described variable pointed at a caller's value.
void Bind(XSQLVAR& var, short type, void* data, short length, short* null) {
    var.sqltype = static_cast<short>(type + 1);
    var.sqlscale = 0;
    var.sqllen = length;
    var.sqldata = static_cast<ISC_SCHAR*>(data);
    var.sqlind = null;
}

XSQLDA* Area(char* storage, short count) {
    auto* area = reinterpret_cast<XSQLDA*>(storage);
    area->version = SQLDA_VERSION1;
    area->sqln = area->sqld = count;
    return area;
}

// The run's log line for a message, written out at once, as ortavo-cli writes its lines.
void Tell(const char* format, ...) {
    char line[256];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int length = static_cast<int>(std::strftime(line, sizeof line, "%H:%M:%S -> ", &local));
    va_list args;
    va_start(args, format);
    length += std::vsnprintf(line + length, sizeof line - static_cast<std::size_t>(length) - 1,
                             format, args);
    va_end(args);
    // A message cut to the buffer still ends its line.
    length = std::min(length, static_cast<int>(sizeof line) - 2);
    line[length++] = '\n';
    if (write(1, line, static_cast<std::size_t>(length)) != length)
        throw std::runtime_error("cannot write the log");
}

// An amount as the log shows it: two decimals after a comma.
std::string Amount(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    if (char* point = std::strchr(text, '.'))
        *point = ',';
    return text;
}

// The run's server work with direct client calls: attach, the branch, the procedure, then
// per coupon the select and, when the amounts differ, both updates and one commit.
void Direct(const std::string& mode, const std::string& database, const std::string& path) {
    if (mode != "each" && mode != "once" && mode != "told")
        throw std::runtime_error("direct: each, once or told, not " + mode);
    const bool once = mode != "each", told = mode == "told";
    IGDSLibrary& client = Client();
    std::ifstream file(path, std::ios::binary);
    std::stringstream all;
    all << file.rdbuf();
    const std::string text = all.str();
    const std::string dpb = LoginDPB("SYSDBA", SysdbaPassword());
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    Check(client.isc_attach_database(ThreadStatusVector(), static_cast<short>(database.size()),
                                     database.data(), &db, static_cast<short>(dpb.size()),
                                     dpb.data()));
    Check(client.isc_start_transaction(ThreadStatusVector(), &tr, 1, &db, 0, nullptr));
    TDirect direct(&db, &tr, once);
    short nulls[4] = {};
    alignas(XSQLDA) char inStorage[XSQLDA_LENGTH(4)] = {}, outStorage[XSQLDA_LENGTH(3)] = {};
    XSQLDA* in = nullptr;
    XSQLDA* out = nullptr;

    std::string cnpj = CompanyCnpj;
    std::int32_t branch = 0, sequence = 0;
    in = Area(inStorage, 1);
    out = Area(outStorage, 1);
    Bind(in->sqlvar[0], SQL_TEXT, cnpj.data(), static_cast<short>(cnpj.size()), &nulls[0]);
    Bind(out->sqlvar[0], SQL_LONG, &branch, 4, &nulls[1]);
    direct.Run("SELECT FL_CODIGO FROM FILIAIS WHERE FL_CNPJ = ?", in, out, [] {});
    direct.Run("EXECUTE PROCEDURE INICIA_APLICACAO('X')", nullptr);
    Check(client.isc_commit_retaining(ThreadStatusVector(), &tr));
    std::string branchText = std::to_string(branch);

    std::int64_t storedDiscount = 0, storedSurcharge = 0;
    for (std::size_t at = text.find("\r\nE14"); at != std::string::npos;
         at = text.find("\r\nE14", at + 2)) {
        const std::string line = text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
        std::string serial = line.substr(3, 20), document = line.substr(52, 6);
        const double discount = std::strtod(line.substr(80, 13).c_str(), nullptr) / 100;
        const double surcharge = std::strtod(line.substr(94, 13).c_str(), nullptr) / 100;
        tm when{};
        when.tm_year = std::atoi(line.substr(58, 4).c_str()) - 1900;
        when.tm_mon = std::atoi(line.substr(62, 2).c_str()) - 1;
        when.tm_mday = std::atoi(line.substr(64, 2).c_str());
        ISC_DATE date = 0;
        client.isc_encode_sql_date(&when, &date);
        if (told) {
            Tell("Documento: %s", document.c_str());
            Tell("Desconto: %s", Amount(discount).c_str());
            Tell("Acr\u00e9scimo: %s", Amount(surcharge).c_str());
            Tell("%s", serial.c_str());
            Tell("Data: %s/%s/%s", line.substr(64, 2).c_str(), line.substr(62, 2).c_str(),
                 line.substr(58, 4).c_str());
        }

        in = Area(inStorage, 4);
        out = Area(outStorage, 3);
        if (told)
            Bind(in->sqlvar[0], SQL_TEXT, branchText.data(), static_cast<short>(branchText.size()),
                 &nulls[0]);
        else
            Bind(in->sqlvar[0], SQL_LONG, &branch, 4, &nulls[0]);
        Bind(in->sqlvar[1], SQL_TEXT, serial.data(), 20, &nulls[1]);
        Bind(in->sqlvar[2], SQL_TYPE_DATE, &date, sizeof date, &nulls[2]);
        Bind(in->sqlvar[3], SQL_TEXT, document.data(), 6, &nulls[3]);
        short outNulls[3] = {};
        Bind(out->sqlvar[0], SQL_LONG, &sequence, 4, &outNulls[0]);
        // Read as the stored scaled integers, turned into doubles as the dataset layer does.
        Bind(out->sqlvar[1], SQL_INT64, &storedDiscount, 8, &outNulls[1]);
        Bind(out->sqlvar[2], SQL_INT64, &storedSurcharge, 8, &outNulls[2]);
        out->sqlvar[1].sqlscale = out->sqlvar[2].sqlscale = -2;
        bool found = false;
        std::int32_t first = 0;
        double firstDiscount = 0, firstSurcharge = 0;
        direct.Run("SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE "
                   "PAI_FILIAL = ? AND PAI_IMPRESSORA = ? AND PAI_DTEMISSAO = ? AND "
                   "PAI_DOCUMENTO = ? ",
                   in, out, [&] {
                       if (!found) {
                           found = true;
                           first = sequence;
                           firstDiscount = static_cast<double>(storedDiscount) / 100;
                           firstSurcharge = static_cast<double>(storedSurcharge) / 100;
                       }
                   });
        if (told && !found)
            Tell("--->>>> Documento n\u00e3o encontrado");
        if (told && found)
            Tell("SEQUENCIAL NO TALIMOR : %d Desconto no documento:%s- Acr\u00e9scimo no "
                 "documento:%s",
                 first, Amount(firstDiscount).c_str(), Amount(firstSurcharge).c_str());
        if (!found || (firstDiscount == discount && firstSurcharge == surcharge))
            continue;
        if (told)
            Tell("*****    Vai atualizar    *****");
        double newSurcharge = surcharge, newDiscount = discount;
        in = Area(inStorage, 3);
        Bind(in->sqlvar[0], SQL_DOUBLE, &newSurcharge, 8, &nulls[0]);
        Bind(in->sqlvar[1], SQL_DOUBLE, &newDiscount, 8, &nulls[1]);
        Bind(in->sqlvar[2], SQL_LONG, &first, 4, &nulls[2]);
        direct.Run("UPDATE MVTO_PAI SET PAI_ACRESCIMO = ?, PAI_DESCONTO = ? WHERE PAI_SEQU = ?",
                   in);
        char state = 'P';
        in = Area(inStorage, 2);
        Bind(in->sqlvar[0], SQL_TEXT, &state, 1, &nulls[0]);
        Bind(in->sqlvar[1], SQL_LONG, &first, 4, &nulls[1]);
        direct.Run("UPDATE MVTO_PAI SET PAI_ESTADO = ? WHERE PAI_SEQU = ?", in);
        Check(client.isc_commit_retaining(ThreadStatusVector(), &tr));
        if (told)
            Tell("PROCESSADO %d", first);
    }
    Check(client.isc_commit_transaction(ThreadStatusVector(), &tr));
    direct.DropKept();
    Check(client.isc_detach_database(ThreadStatusVector(), &db));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    // The reference programs: this executable started anew, like ortavo-cli, so all pay for
    // their process, the client library and (embedded) the engine's start.
    if (argc == 5 && std::string(argv[1]) == "direct") {
        try {
            Direct(argv[2], argv[3], argv[4]);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    const int sales = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    const std::chrono::milliseconds delay(argc > 4 ? std::atoi(argv[4]) : 0);
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    try {
        std::printf("load: ");
        std::fflush(stdout);
        std::system("uptime");
        std::printf("%-9s %-10s %9s %9s %9s %9s %9s %8s %8s %8s  (%d sales, medians of %d, "
                    "seconds)\n",
                    "access", "file", "cli kept", "cli anew", "dir each", "dir once", "dir told",
                    "kept/1", "anew/1", "kept/t", sales, repeats);
        for (TAccess access : {TAccess::Embedded, TAccess::Server}) {
            if (!only.empty() && only.find(AccessName(access)) == std::string::npos)
                continue;
            TBusinessDatabase db(access);
            Populate(db, sales);
            const std::string folder = db.Database().Path().parent_path().string();
            const std::string database = ToUtf8(db.Name());
            for (bool differing : {true, false}) {
                if (!only.empty() && only.find(differing ? "differ" : "none") == std::string::npos)
                    continue;
                const std::string file = WriteFile(
                    folder + (differing ? "/differing.txt" : "/equal.txt"), sales, differing);
                const std::vector<std::vector<std::string>> commands = {
                    {ORTAVO_CLI, "run", "--user", "SYSDBA", "--password", SysdbaPassword(),
                     database, file},
                    {ORTAVO_CLI, "run", "--no-statement-cache", "--user", "SYSDBA", "--password",
                     SysdbaPassword(), database, file},
                    {self, "direct", "each", database, file},
                    {self, "direct", "once", database, file},
                    {self, "direct", "told", database, file},
                };
                // Interleaved, so that a change of the machine's load falls on all of them.
                std::vector<std::vector<double>> times(commands.size());
                std::vector<int> trips(commands.size());
                for (int i = 0; i < repeats; ++i)
                    for (std::size_t c = 0; c < commands.size(); ++c) {
                        Reset(db);
                        if (access != TAccess::Server || delay.count() == 0) {
                            times[c].push_back(Spawn(commands[c]));
                            continue;
                        }
                        TCommitDropProxy proxy([] { return false; }, delay);
                        std::vector<std::string> command = commands[c];
                        std::replace(command.begin(), command.end(), database,
                                     proxy.Name(db.Database().Path().string()));
                        times[c].push_back(Spawn(command));
                        trips[c] = proxy.RoundTrips();
                    }
                std::vector<double> m;
                for (const auto& t : times)
                    m.push_back(Median(t));
                std::printf("%-9s %-10s %9.3f %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f %8.2f\n",
                            AccessName(access).c_str(), differing ? "20% differ" : "none", m[0],
                            m[1], m[2], m[3], m[4], m[0] / m[3], m[1] / m[3], m[0] / m[4]);
                if (delay.count() > 0 && access == TAccess::Server)
                    std::printf("%-9s %-10s %9d %9d %9d %9d %9d  (round trips, %d ms each)\n", "",
                                "", trips[0], trips[1], trips[2], trips[3], trips[4],
                                static_cast<int>(delay.count()));
                std::fflush(stdout);
            }
        }
        std::printf("load: ");
        std::fflush(stdout);
        std::system("uptime");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
