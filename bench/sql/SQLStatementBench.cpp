// The coupon select of a reconciliation run, prepared, executed, fetched and freed again
// and again through TIBSQL, beside the same work in direct client calls; embedded and over
// loopback. Prints times, medians and the ratio; not a test.
//   bench_sql_statement [iterations=20000]
#include "IBX/connection/IBTransaction.h"
#include "IBX/statements/IBSQL.h"

#include "IBX/connection/TestDatabase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace ortavo;
using namespace ortavo::test;

namespace {

const char* const CouponSelect =
    "SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE PAI_FILIAL = :FILIAL AND "
    "PAI_IMPRESSORA = :ECF AND PAI_DTEMISSAO = :DTEMISSAO AND PAI_DOCUMENTO = :DOCUMENTO ";

const char* const DirectSelect =
    "SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE PAI_FILIAL = ? AND "
    "PAI_IMPRESSORA = ? AND PAI_DTEMISSAO = ? AND PAI_DOCUMENTO = ? ";

constexpr int Rows = 1000;

void Fill(const TTestDatabase& db) {
    db.Execute("CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER NOT NULL PRIMARY KEY, PAI_FILIAL "
               "VARCHAR(10), PAI_IMPRESSORA VARCHAR(20), PAI_DTEMISSAO DATE, PAI_DOCUMENTO "
               "VARCHAR(10), PAI_DESCONTO NUMERIC(15,2), PAI_ACRESCIMO NUMERIC(15,2), PAI_ESTADO "
               "CHAR(1))");
    db.Execute("CREATE INDEX MVTO_PAI_BUSCA ON MVTO_PAI (PAI_FILIAL, PAI_IMPRESSORA, "
               "PAI_DTEMISSAO, PAI_DOCUMENTO)");
    db.Execute("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(Rows) +
               ") DO BEGIN INSERT INTO MVTO_PAI VALUES (:I, '01', 'BE0911BR000000123456', "
               "DATE '2024-03-01' + MOD(:I, 28), LPAD(:I, 6, '0'), MOD(:I, 500) / 100.0, 0, "
               "'A'); I = I + 1; END END");
}

std::string Document(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", i % Rows + 1);
    return text;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One round of the layer's work; the sum of the keys read, so nothing is optimised away.
long long LayerRound(TIBDatabase& base, int iterations) {
    TIBSQL sql;
    sql.SetDatabase(&base);
    sql.SQL().SetText(FromUtf8(CouponSelect));
    long long sum = 0;
    for (int i = 0; i < iterations; ++i) {
        sql.Prepare();
        const int row = i % Rows + 1;
        sql.ParamByName(u"FILIAL")->SetAsString(u"01");
        sql.ParamByName(u"ECF")->SetAsString(u"BE0911BR000000123456");
        sql.ParamByName(u"DTEMISSAO")->SetAsDate(EncodeDate(2024, 3, 1) + row % 28);
        sql.ParamByName(u"DOCUMENTO")->SetAsString(FromUtf8(Document(i)));
        sql.ExecQuery();
        if (!sql.Eof())
            sum += sql.Fields(0)->AsLong() + static_cast<long long>(sql.Fields(1)->AsDouble());
        sql.Close();
        sql.FreeHandle();
    }
    return sum;
}

struct TextParam {
    short length;
    char bytes[32];
};

// The same work in direct client calls: fixed parameter buffers, the output described by
// the prepare.
long long DirectRound(IGDSLibrary& client, TIBDatabase& base, TIBTransaction& tr, int iterations) {
    alignas(XSQLDA) char inArea[XSQLDA_LENGTH(4)] = {};
    alignas(XSQLDA) char outArea[XSQLDA_LENGTH(3)] = {};
    auto* in = reinterpret_cast<XSQLDA*>(inArea);
    auto* out = reinterpret_cast<XSQLDA*>(outArea);
    in->version = out->version = SQLDA_VERSION1;
    in->sqln = in->sqld = 4;
    out->sqln = 3;
    TextParam filial{}, ecf{}, document{};
    ISC_DATE date = 0;
    short nulls[7] = {};
    auto text = [](XSQLVAR& var, TextParam& param, short* null) {
        var.sqltype = SQL_VARYING + 1;
        var.sqllen = sizeof param.bytes;
        var.sqldata = reinterpret_cast<char*>(&param);
        var.sqlind = null;
    };
    text(in->sqlvar[0], filial, &nulls[0]);
    text(in->sqlvar[1], ecf, &nulls[1]);
    in->sqlvar[2].sqltype = SQL_TYPE_DATE + 1;
    in->sqlvar[2].sqllen = sizeof date;
    in->sqlvar[2].sqldata = reinterpret_cast<char*>(&date);
    in->sqlvar[2].sqlind = &nulls[2];
    text(in->sqlvar[3], document, &nulls[3]);
    std::int32_t key = 0;
    std::int64_t discount = 0, surcharge = 0;
    char* outData[3] = {reinterpret_cast<char*>(&key), reinterpret_cast<char*>(&discount),
                        reinterpret_cast<char*>(&surcharge)};
    auto set = [](TextParam& param, const std::string& value) {
        param.length = static_cast<short>(value.size());
        std::memcpy(param.bytes, value.data(), value.size());
    };
    long long sum = 0;
    for (int i = 0; i < iterations; ++i) {
        isc_stmt_handle handle = 0;
        ISC_STATUS* status = ThreadStatusVector();
        if (client.isc_dsql_alloc_statement2(status, base.HandleAddress(), &handle) ||
            client.isc_dsql_prepare(status, tr.HandleAddress(), &handle, 0, DirectSelect, 3, out))
            RaiseDatabaseError(&client);
        for (int c = 0; c < 3; ++c) {
            out->sqlvar[c].sqldata = outData[c];
            out->sqlvar[c].sqlind = &nulls[4 + c];
        }
        const int row = i % Rows + 1;
        set(filial, "01");
        set(ecf, "BE0911BR000000123456");
        std::tm day{};
        day.tm_year = 124;
        day.tm_mon = 2;
        day.tm_mday = 1 + row % 28;
        client.isc_encode_sql_date(&day, &date);
        set(document, Document(i));
        if (client.isc_dsql_execute2(status, tr.HandleAddress(), &handle, 3, in, nullptr))
            RaiseDatabaseError(&client);
        if (client.isc_dsql_fetch(status, &handle, 3, out) == 0)
            sum += key + discount / 100;
        client.isc_dsql_free_statement(status, &handle, DSQL_close);
        client.isc_dsql_free_statement(status, &handle, DSQL_drop);
    }
    return sum;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Measure(TAccess access, int iterations) {
    TTestDatabase db(access);
    Fill(db);
    TIBDatabase base;
    db.Configure(base);
    TIBTransaction tr;
    base.SetDefaultTransaction(&tr);
    base.Open();
    tr.StartTransaction();
    IGDSLibrary& client = *base.GDSLibrary();

    constexpr int rounds = 5;
    const int perRound = std::max(1, iterations / rounds);
    std::vector<double> layer, direct;
    long long check = 0;
    for (int r = 0; r < rounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        check += LayerRound(base, perRound);
        layer.push_back(Seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        check -= DirectRound(client, base, tr, perRound);
        direct.push_back(Seconds(std::chrono::steady_clock::now() - start));
    }
    double layerTotal = 0, directTotal = 0;
    for (int r = 0; r < rounds; ++r) {
        layerTotal += layer[r];
        directTotal += direct[r];
    }
    std::printf("%-8s %d x prepare+execute+fetch+free: TIBSQL %.3f s, direct %.3f s, ratio %.3f; "
                "per-round medians %.3f s / %.3f s (ratio %.3f)%s\n",
                AccessName(access).c_str(), perRound * rounds, layerTotal, directTotal,
                layerTotal / directTotal, Median(layer), Median(direct),
                Median(layer) / Median(direct), check == 0 ? "" : " (results differ!)");
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 20000;
    try {
        Measure(TAccess::Embedded, iterations);
        Measure(TAccess::Server, iterations);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_sql_statement: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);
    return std::system("uptime") == 0 ? 0 : 1;
}
