// Creating and reading the business-shaped test databases, and writing fiscal lines.
#include "BusinessDatabase.h"

#include "IBX/client/IB.h"

#include <cstdio>
#include <stdexcept>

namespace ortavo::test {

namespace {

std::string Padded(std::string text, std::size_t width, char fill = ' ') {
    text.resize(width, fill);
    return text;
}

std::string Amount(long long cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%013lld", cents);
    return text;
}

void Check(ISC_STATUS status, const std::string& what) {
    if (status > 0)
        throw std::runtime_error(what + ": " +
                                 ToUtf8(ComposeDatabaseErrorMessage(&Client()).Message));
}

} // namespace

std::string TBusinessShape::Name() const {
    std::string name = "D" + std::to_string(Dialect);
    for (const std::string* type : {&Branch, &Printer, &Document, &Amount, &Date})
        for (char c : *type)
            if (std::isalnum(static_cast<unsigned char>(c)))
                name += c;
    return name;
}

std::vector<TBusinessShape> BusinessShapes() {
    return {
        {},
        {3, "VARCHAR(4)", "VARCHAR(20)", "INTEGER", "NUMERIC(9,2)", "TIMESTAMP"},
        {3, "INTEGER", "CHAR(20)", "VARCHAR(6)", "DOUBLE PRECISION", "DATE"},
        {1, "INTEGER", "CHAR(20)", "VARCHAR(6)", "NUMERIC(15,2)", "DATE"},
        {1, "VARCHAR(4)", "VARCHAR(20)", "INTEGER", "DOUBLE PRECISION", "DATE"},
    };
}

TBusinessDatabase::TBusinessDatabase(TAccess access, const TBusinessShape& shape)
    : FShape(shape), FDatabase(access, shape.Dialect) {
    const bool textBranch = shape.Branch.starts_with("VARCHAR");
    const std::string one = textBranch ? "'1'" : "1", two = textBranch ? "'2'" : "2";
    for (const std::string& sql : {
             "CREATE TABLE FILIAIS (FL_CODIGO " + shape.Branch +
                 " NOT NULL, FL_CNPJ CHAR(14), FL_NOME VARCHAR(40))",
             "CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER NOT NULL PRIMARY KEY, PAI_FILIAL " +
                 shape.Branch + ", PAI_IMPRESSORA " + shape.Printer + ", PAI_DTEMISSAO " +
                 shape.Date + ", PAI_DOCUMENTO " + shape.Document + ", PAI_DESCONTO " +
                 shape.Amount + ", PAI_ACRESCIMO " + shape.Amount + ", PAI_ESTADO CHAR(1))",
             std::string("CREATE TABLE INICIOS (ARG VARCHAR(10))"),
             std::string("CREATE PROCEDURE INICIA_APLICACAO (MODO CHAR(1)) AS BEGIN "
                         "INSERT INTO INICIOS (ARG) VALUES (:MODO); END"),
             std::string("GRANT ALL ON FILIAIS TO PUBLIC"),
             std::string("GRANT ALL ON MVTO_PAI TO PUBLIC"),
             std::string("GRANT ALL ON INICIOS TO PUBLIC"),
             std::string("GRANT INSERT ON INICIOS TO PROCEDURE INICIA_APLICACAO"),
             std::string("GRANT EXECUTE ON PROCEDURE INICIA_APLICACAO TO PUBLIC"),
             "INSERT INTO FILIAIS VALUES (" + one + ", '" + CompanyCnpj + "', 'LOJA MODELO')",
             "INSERT INTO FILIAIS VALUES (" + two + ", '98765432000110', 'OUTRA LOJA')",
         })
        FDatabase.Execute(sql);
}

void TBusinessDatabase::AddSale(const TSale& sale) {
    const bool textBranch = FShape.Branch.starts_with("VARCHAR");
    const bool textDocument = !FShape.Document.starts_with("INTEGER");
    const std::string branch =
        textBranch ? "'" + std::to_string(sale.Branch) + "'" : std::to_string(sale.Branch);
    const std::string document = textDocument ? "'" + sale.Document + "'" : sale.Document;
    FDatabase.Execute("INSERT INTO MVTO_PAI (PAI_SEQU, PAI_FILIAL, PAI_IMPRESSORA, "
                      "PAI_DTEMISSAO, PAI_DOCUMENTO, PAI_DESCONTO, PAI_ACRESCIMO, PAI_ESTADO) "
                      "VALUES (" +
                      std::to_string(sale.Sequence) + ", " + branch + ", '" + sale.Printer +
                      "', '" + sale.Date + "', " + document + ", " + sale.Discount + ", " +
                      sale.Surcharge + ", " + (sale.State ? "'" + *sale.State + "'" : "NULL") +
                      ")");
}

TStoredSale TBusinessDatabase::Sale(int sequence) const {
    const std::string name = ToUtf8(FDatabase.Name());
    const std::string dpb = LoginDPB("SYSDBA", SysdbaPassword());
    IGDSLibrary& client = Client();
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    Check(client.isc_attach_database(ThreadStatusVector(), static_cast<short>(name.size()),
                                     name.data(), &db, static_cast<short>(dpb.size()), dpb.data()),
          "attach " + name);
    TStoredSale stored;
    double discount = 0, surcharge = 0;
    char state[2] = {};
    short nulls[3] = {};
    alignas(XSQLDA) char area[XSQLDA_LENGTH(3)] = {};
    auto* out = reinterpret_cast<XSQLDA*>(area);
    out->version = SQLDA_VERSION1;
    out->sqln = out->sqld = 3;
    void* data[] = {&discount, &surcharge, state};
    const short types[] = {SQL_DOUBLE, SQL_DOUBLE, SQL_TEXT};
    const short lengths[] = {8, 8, 1};
    for (int i = 0; i < 3; ++i) {
        out->sqlvar[i].sqltype = static_cast<short>(types[i] + 1);
        out->sqlvar[i].sqllen = lengths[i];
        out->sqlvar[i].sqldata = static_cast<ISC_SCHAR*>(data[i]);
        out->sqlvar[i].sqlind = &nulls[i];
    }
    const std::string sql = "SELECT CAST(PAI_DESCONTO AS DOUBLE PRECISION), CAST(PAI_ACRESCIMO "
                            "AS DOUBLE PRECISION), PAI_ESTADO FROM MVTO_PAI WHERE PAI_SEQU = " +
                            std::to_string(sequence);
    ISC_STATUS status = client.isc_start_transaction(ThreadStatusVector(), &tr, 1, &db, 0, nullptr);
    if (status == 0)
        status =
            client.isc_dsql_exec_immed2(ThreadStatusVector(), &db, &tr, 0, sql.c_str(),
                                        static_cast<unsigned short>(FShape.Dialect), nullptr, out);
    std::string error;
    if (status > 0)
        error = ToUtf8(ComposeDatabaseErrorMessage(&client).Message);
    if (tr)
        client.isc_rollback_transaction(ThreadStatusVector(), &tr);
    client.isc_detach_database(ThreadStatusVector(), &db);
    if (!error.empty())
        throw std::runtime_error(sql + ": " + error);
    stored.Discount = discount;
    stored.Surcharge = surcharge;
    if (!nulls[2])
        stored.State = std::string(state, 1);
    return stored;
}

int TBusinessDatabase::StartCalls() const {
    return FDatabase.QueryInt("SELECT COUNT(*) FROM INICIOS WHERE ARG = 'X'").value_or(-1);
}

std::string HeaderLine(const std::string& cnpj) {
    return Padded("E01DR0911BR000000123456 ECF-IF", 98) + cnpj +
           "123456789012  987654        LOJA MODELO LTDA";
}

std::string CouponLineWithFields(const std::string& document, const std::string& date,
                                 const std::string& discount, const std::string& surcharge,
                                 const std::string& serial) {
    std::string line = "E14" + Padded(serial, 20) + Padded("01000001", 29) + Padded(document, 6) +
                       Padded(date, 8) + "00000000015000";
    return line + discount + "V" + surcharge + "00000000014850N0000000000000DCONSUMIDOR";
}

std::string CouponLine(const std::string& document, const std::string& date, long long discount,
                       long long surcharge, const std::string& serial) {
    return CouponLineWithFields(document, date, Amount(discount), Amount(surcharge), serial);
}

std::string FiscalText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace ortavo::test
