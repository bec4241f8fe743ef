// Databases shaped like the business system's (branches, sales, the start procedure), in
// the column types and dialects real installations use, and fiscal files that match them.
#pragma once

#include "IBX/connection/TestDatabase.h"

#include <optional>
#include <string>
#include <vector>

namespace ortavo::test {

// The column types of one installation.
struct TBusinessShape {
    int Dialect = 3;
    std::string Branch = "INTEGER";       // FL_CODIGO and PAI_FILIAL
    std::string Printer = "CHAR(20)";     // PAI_IMPRESSORA
    std::string Document = "VARCHAR(6)";  // PAI_DOCUMENTO
    std::string Amount = "NUMERIC(15,2)"; // PAI_DESCONTO, PAI_ACRESCIMO
    std::string Date = "DATE";            // PAI_DTEMISSAO

    // For test names: letters and digits only.
    std::string Name() const;
};

// The shapes the run is tried on.
std::vector<TBusinessShape> BusinessShapes();

inline constexpr const char* CompanyCnpj = "12345678000195";
inline constexpr const char* Serial = "DR0911BR000000123456";

// One sale of MVTO_PAI.
struct TSale {
    int Sequence;
    std::string Document;
    std::string Date; // YYYY-MM-DD
    std::string Discount;
    std::string Surcharge;
    std::string Printer = Serial;
    int Branch = 1;
    std::optional<std::string> State = "A"; // PAI_ESTADO; nothing for NULL
};

// A sale's row as stored.
struct TStoredSale {
    double Discount = 0;
    double Surcharge = 0;
    std::optional<std::string> State;

    bool operator==(const TStoredSale&) const = default;
};

// A fresh database with FILIAIS (branch 1 with CompanyCnpj, branch 2 with another CNPJ),
// MVTO_PAI, the procedure INICIA_APLICACAO (which records each call in INICIOS) and rights
// for everybody, so the window's preset user may run on it too.
class TBusinessDatabase {
public:
    TBusinessDatabase(TAccess access, const TBusinessShape& shape = {});

    TTestDatabase& Database() { return FDatabase; }
    String Name() const { return FDatabase.Name(); }
    const TBusinessShape& Shape() const { return FShape; }

    void AddSale(const TSale& sale);
    TStoredSale Sale(int sequence) const;
    // How often the start procedure ran and was committed.
    int StartCalls() const;
    void Execute(const std::string& sql, int lockTimeout = 0) const {
        FDatabase.Execute(sql, lockTimeout);
    }

private:
    TBusinessShape FShape;
    TTestDatabase FDatabase;
};

// An "E01" header line with the CNPJ at 99-112.
std::string HeaderLine(const std::string& cnpj = CompanyCnpj);
// An "E14" coupon line: serial at 4-23, document at 53-58, date (YYYYMMDD) at 59-66,
// discount at 81-93, surcharge at 95-107, each amount field 13 characters of hundredths.
std::string CouponLine(const std::string& document, const std::string& date, long long discount,
                       long long surcharge, const std::string& serial = Serial);
// The same with the amount fields given as their texts.
std::string CouponLineWithFields(const std::string& document, const std::string& date,
                                 const std::string& discount, const std::string& surcharge,
                                 const std::string& serial = Serial);
// The lines joined, each ended by CR LF.
std::string FiscalText(const std::vector<std::string>& lines);

} // namespace ortavo::test
