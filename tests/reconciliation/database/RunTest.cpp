// The reconciliation run end to end on real databases of the business system's shape,
// embedded and through the server: log lines, boxes, statements and what the database keeps.
#include "RunFixture.h"

#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "base/Exception.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace ortavo;
using namespace ortavo::test;

namespace {

using ::testing::ElementsAreArray;

struct TRunCase {
    TAccess Access;
    TBusinessShape Shape;
};

std::vector<TRunCase> AllCases() {
    std::vector<TRunCase> cases;
    for (TAccess access : {TAccess::Embedded, TAccess::Server})
        for (const TBusinessShape& shape : BusinessShapes())
            cases.push_back({access, shape});
    return cases;
}

class RunOnShape : public ::testing::TestWithParam<TRunCase> {
protected:
    ScopedFormatSettings Settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder Folder;
};

std::string Write(const ortavo::testing::TempFolder& folder, const std::vector<std::string>& lines,
                  const std::string& name = "memoria.txt") {
    return folder.Write(name, FiscalText(lines));
}

} // namespace

// Every path of a coupon in one file: equal amounts, the discount differing, only the
// surcharge differing, no sale, and lines that are no coupons.
TEST_P(RunOnShape, CouponsAreComparedAndOverwritten) {
    TBusinessDatabase db(GetParam().Access, GetParam().Shape);
    db.AddSale({1, "000101", "2024-03-15", "1.50", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    db.AddSale({3, "000103", "2024-03-15", "0.50", "0"});
    db.AddSale({4, "000104", "2024-03-15", "3.00", "0", Serial, 2}); // another branch
    const std::string file = Write(
        Folder,
        {HeaderLine(), CouponLine("000101", "20240315", 150, 0), "E15DR0911BR000000123456 item",
         CouponLine("000102", "20240315", 225, 0), CouponLine("000103", "20240315", 50, 75),
         CouponLine("000199", "20240315", 100, 0), CouponLine("000104", "20240315", 300, 0)});
    TRunHarness run;
    EXPECT_EQ(run.Run(db.Name(), file), TRunOutcome::Completed);

    EXPECT_THAT(run.Front.Logged,
                ElementsAreArray(Joined({
                    {"Cnpj da empresa: 12345678000195"},
                    CouponLog("000101", "1.50", "0.00"),
                    {SaleLog(1, "1.50", "0.00")},
                    CouponLog("000102", "2.25", "0.00"),
                    {SaleLog(2, "0.00", "0.00"), "*****    Vai atualizar    *****", "PROCESSADO 2"},
                    CouponLog("000103", "0.50", "0.75"),
                    {SaleLog(3, "0.50", "0.00"), "*****    Vai atualizar    *****", "PROCESSADO 3"},
                    CouponLog("000199", "1.00", "0.00"),
                    {"--->>>> Documento não encontrado"},
                    CouponLog("000104", "3.00", "0.00"),
                    {"--->>>> Documento não encontrado", "Concluído"},
                })));
    EXPECT_THAT(run.Front.Notices, ElementsAreArray({"Concluído"}));
    EXPECT_EQ(run.Front.Clears, 1);
    EXPECT_EQ(run.Front.FileLines().Count(), 7);

    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 1.5);
    EXPECT_EQ(db.Sale(1).State, "A");
    EXPECT_DOUBLE_EQ(db.Sale(2).Discount, 2.25);
    EXPECT_DOUBLE_EQ(db.Sale(2).Surcharge, 0);
    EXPECT_EQ(db.Sale(2).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(3).Discount, 0.5);
    EXPECT_DOUBLE_EQ(db.Sale(3).Surcharge, 0.75);
    EXPECT_EQ(db.Sale(3).State, "P");
    EXPECT_EQ(db.Sale(4).State, "A");
    EXPECT_EQ(db.StartCalls(), 1);

    // A second run finds everything equal and writes nothing.
    TRunHarness again;
    EXPECT_EQ(again.Run(db.Name(), file), TRunOutcome::Completed);
    for (const std::string& line : again.Front.Logged)
        EXPECT_EQ(line.find("Vai atualizar"), std::string::npos) << line;
    EXPECT_EQ(db.StartCalls(), 2);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RunOnShape, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TRunCase>& info) {
                             return AccessName(info.param.Access) + info.param.Shape.Name();
                         });

namespace {

class RunEnds : public ::testing::TestWithParam<TAccess> {
protected:
    ScopedFormatSettings Settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::TempFolder Folder;
};

} // namespace

TEST_P(RunEnds, ByItsOwnRules) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    TRunHarness run;

    // No connection: the box, then the line; the cause goes only to the front end that
    // asks for it, and the file is not read.
    run.Front.Logged = {"earlier line"};
    EXPECT_EQ(run.Run(db.Database().MissingName(), Write(Folder, {HeaderLine()})),
              TRunOutcome::NoConnection);
    EXPECT_THAT(
        run.Front.Logged,
        ElementsAreArray({"earlier line", "Sem acesso a base de dados. Importação encerrada"}));
    EXPECT_THAT(run.Front.Notices, ElementsAreArray({"Não conseguiu conectar a base de dados"}));
    EXPECT_FALSE(run.Front.Reason.empty());
    EXPECT_EQ(run.Front.FileLines().Count(), 0);

    // No file (a folder does not count): the log keeps what it had.
    run.Front.Notices.clear();
    EXPECT_EQ(run.Run(db.Name(), Folder.Path().string()), TRunOutcome::FileMissing);
    EXPECT_EQ(run.Front.Logged.back(), "Não foi encontrado o arquivo. Importação encerrada.");
    EXPECT_EQ(run.Front.Logged.at(run.Front.Logged.size() - 2),
              "Conectado a base de dados " + ToUtf8(db.Name()));
    EXPECT_TRUE(run.Front.Notices.empty());

    // An empty file, a header that is not the first line, a header in lower case: the log
    // holds one line and no statement runs.
    for (const std::vector<std::string>& lines : std::vector<std::vector<std::string>>{
             {},
             {CouponLine("000101", "20240315", 5, 0), HeaderLine(),
              CouponLine("000101", "20240315", 5, 0)},
             {"e01" + HeaderLine().substr(3)}}) {
        EXPECT_EQ(run.Run(db.Name(), Write(Folder, lines)), TRunOutcome::NotCotepe);
        EXPECT_THAT(run.Front.Logged,
                    ElementsAreArray({"Arquivo não é Ato Cotepe 17/04. Validação não pode ser "
                                      "realizada."}));
    }
    EXPECT_TRUE(run.Front.Notices.empty());
    EXPECT_EQ(db.StartCalls(), 0);

    // Another company, or a CNPJ field holding a quote: no branch, the run ends at once and
    // the start procedure does not run.
    for (const std::string& cnpj : {std::string("11111111000111"), std::string("12345678'00195")}) {
        run.Front.Notices.clear();
        EXPECT_EQ(run.Run(db.Name(), Write(Folder, {HeaderLine(cnpj),
                                                    CouponLine("000101", "20240315", 5, 0)})),
                  TRunOutcome::CompanyNotFound);
        const std::string refused =
            "ARQUIVO NÃO É DA EMPRESA DA BASE DE DADOS. IMPORTAÇÃO CANCELADA";
        EXPECT_THAT(run.Front.Logged, ElementsAreArray({"Cnpj da empresa: " + cnpj, refused}));
        EXPECT_THAT(run.Front.Notices, ElementsAreArray({refused}));
    }
    EXPECT_EQ(db.StartCalls(), 0);
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0);
}

// The file's CNPJ is compared as text of its own width, whatever FL_CNPJ is: a column too
// short for it finds no branch (binding it as the column's type would fail), a wider or
// numeric one finds the branch.
TEST_P(RunEnds, TheCompanyIsFoundWhateverTheColumnsWidth) {
    TBusinessDatabase db(GetParam());
    for (const auto& [type, found] : {std::pair("VARCHAR(8)", false),
                                      {"CHAR(30)", true},
                                      {"VARCHAR(20)", true},
                                      {"BIGINT", true}}) {
        db.Execute("ALTER TABLE FILIAIS DROP FL_CNPJ");
        db.Execute(std::string("ALTER TABLE FILIAIS ADD FL_CNPJ ") + type);
        db.Execute(std::string("UPDATE FILIAIS SET FL_CNPJ = ") +
                   (found ? std::string("'") + CompanyCnpj + "'" : "'12345678'") +
                   " WHERE FL_CODIGO = 1");
        TRunHarness run;
        EXPECT_EQ(run.Run(db.Name(), Write(Folder, {HeaderLine()})),
                  found ? TRunOutcome::Completed : TRunOutcome::CompanyNotFound)
            << type;
    }
}

// A stored amount that differs only beyond the cents is overwritten, although the log
// shows both alike; two coupons of one sale: the second finds the first's values.
TEST_P(RunEnds, ExactComparisonAndRepeatedCoupons) {
    TBusinessDatabase db(GetParam(),
                         {3, "INTEGER", "CHAR(20)", "VARCHAR(6)", "DOUBLE PRECISION", "DATE"});
    db.AddSale({1, "000101", "2024-03-15", "1.501", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    db.AddSale({3, "000102", "2024-03-15", "7", "0"}); // a second sale for the same coupon
    TRunHarness run;
    EXPECT_EQ(
        run.Run(db.Name(), Write(Folder, {HeaderLine(), CouponLine("000101", "20240315", 150, 0),
                                          CouponLine("000101", "20240315", 150, 0),
                                          CouponLine("000102", "20240315", 10, 0)})),
        TRunOutcome::Completed);
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 1.5);
    EXPECT_EQ(db.Sale(1).State, "P");
    const auto& log = run.Front.Logged;
    EXPECT_EQ(log.at(6), SaleLog(1, "1.50", "0.00"));
    EXPECT_EQ(log.at(7), "*****    Vai atualizar    *****");
    EXPECT_EQ(log.at(14), SaleLog(1, "1.50", "0.00"));
    EXPECT_EQ(log.at(15), "Documento: 000102");
    // Only one of the two sales of the last coupon is compared and written.
    const bool secondWritten = db.Sale(2).State == "P", thirdWritten = db.Sale(3).State == "P";
    EXPECT_NE(secondWritten, thirdWritten);
}

// Amounts and dates that do not convert end the run with their error; what came before is
// committed.
TEST_P(RunEnds, BadFieldsEndTheRunAfterEarlierCommits) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    struct TBad {
        std::string Line;
        std::string Message;
    } bad[] = {
        {CouponLineWithFields("000102", "20240315", "   12x4567890", "0000000000000"),
         "'   12x4567890' is not a valid floating point value"},
        {CouponLine("000102", "20240230", 5, 0), "Invalid date"},
    };
    for (const TBad& b : bad) {
        TRunHarness run;
        try {
            run.Run(db.Name(), Write(Folder, {HeaderLine(), CouponLine("000101", "20240315", 5, 0),
                                              b.Line, CouponLine("000102", "20240315", 9, 0)}));
            ADD_FAILURE() << "no error for " << b.Message;
        } catch (const Exception& e) {
            EXPECT_EQ(ToUtf8(e.Message()), b.Message);
        }
        EXPECT_NE(run.Front.Logged.back(), "Concluído");
        EXPECT_TRUE(run.Front.Notices.empty());
    }
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0.05);
    EXPECT_EQ(db.Sale(1).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(2).Discount, 0);
}

// A trigger refusing the mark: the coupon's amounts are taken back with it, the sales
// before it stay committed, and a rerun after the trigger is gone finishes the work.
TEST_P(RunEnds, AFailingMarkTakesTheCouponsAmountsBack) {
    TBusinessDatabase db(GetParam());
    db.Execute("CREATE EXCEPTION E_ESTADO 'estado recusado'");
    db.Execute("GRANT USAGE ON EXCEPTION E_ESTADO TO PUBLIC");
    db.Execute("CREATE TRIGGER MVTO_PAI_ESTADO FOR MVTO_PAI BEFORE UPDATE AS BEGIN "
               "IF (NEW.PAI_SEQU = 2 AND NEW.PAI_ESTADO = 'P') THEN EXCEPTION E_ESTADO; END");
    for (int i = 1; i <= 3; ++i)
        db.AddSale({i, "00010" + std::to_string(i), "2024-03-15", "0", "0"});
    const std::string file = Write(Folder, {HeaderLine(), CouponLine("000101", "20240315", 11, 1),
                                            CouponLine("000102", "20240315", 22, 2),
                                            CouponLine("000103", "20240315", 33, 3)});
    TRunHarness run;
    try {
        run.Run(db.Name(), file);
        ADD_FAILURE() << "the trigger did not stop the run";
    } catch (const Exception& e) {
        EXPECT_NE(ToUtf8(e.Message()).find("estado recusado"), std::string::npos) << e.what();
    }
    EXPECT_EQ(run.Front.Logged.back(), "*****    Vai atualizar    *****");
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0.11);
    EXPECT_EQ(db.Sale(1).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(2).Discount, 0);
    EXPECT_DOUBLE_EQ(db.Sale(2).Surcharge, 0);
    EXPECT_EQ(db.Sale(2).State, "A");
    EXPECT_DOUBLE_EQ(db.Sale(3).Discount, 0);
    // The connection stays usable; after the trigger is gone the same components finish.
    db.Execute("DROP TRIGGER MVTO_PAI_ESTADO");
    EXPECT_EQ(run.Run(db.Name(), file), TRunOutcome::Completed);
    EXPECT_DOUBLE_EQ(db.Sale(2).Discount, 0.22);
    EXPECT_EQ(db.Sale(2).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(3).Surcharge, 0.03);
}

// The connection broken in the middle of a run: the error leaves, no sale is left half
// written, and the next run on the same components finishes the work.
TEST_P(RunEnds, ALostConnectionLeavesNothingHalfDone) {
    TBusinessDatabase db(GetParam());
    for (int i = 1; i <= 4; ++i)
        db.AddSale({i, "00010" + std::to_string(i), "2024-03-15", "0", "0"});
    std::vector<std::string> lines = {HeaderLine()};
    for (int i = 1; i <= 4; ++i)
        lines.push_back(CouponLine("00010" + std::to_string(i), "20240315", 100 * i, i));
    const std::string file = Write(Folder, lines);
    TRunHarness run;
    run.Front.OnLog = [&](const std::string& line) {
        if (line == "*****    Vai atualizar    *****" && run.Front.Logged.size() > 20)
            db.Database().KillOtherAttachments();
    };
    EXPECT_THROW(run.Run(db.Name(), file), Exception);
    run.Front.OnLog = nullptr;
    int written = 0;
    for (int i = 1; i <= 4; ++i) {
        const TStoredSale sale = db.Sale(i);
        const bool changed = sale.Discount != 0;
        EXPECT_EQ(changed, sale.State == "P") << "sale " << i;
        written += changed;
    }
    EXPECT_EQ(written, 2);
    EXPECT_EQ(run.Run(db.Name(), file), TRunOutcome::Completed);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(db.Sale(i).Discount, i);
        EXPECT_EQ(db.Sale(i).State, "P");
    }
}

// A dry run logs what a real run would change and keeps nothing, also when it fails.
TEST_P(RunEnds, ADryRunKeepsNothing) {
    TBusinessDatabase db(GetParam());
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    db.AddSale({2, "000102", "2024-03-15", "0", "0"});
    TRunHarness run;
    TRunOptions dry;
    dry.DryRun = true;
    EXPECT_EQ(run.Run(db.Name(),
                      Write(Folder, {HeaderLine(), CouponLine("000101", "20240315", 5, 0),
                                     CouponLine("000101", "20240315", 5, 0)}),
                      dry),
              TRunOutcome::Completed);
    EXPECT_EQ(run.Front.Logged.at(8), "PROCESSADO 1");
    // The second coupon of the sale sees the first one's write, as in a real run.
    EXPECT_EQ(run.Front.Logged.at(14), SaleLog(1, "0.05", "0.00"));
    EXPECT_FALSE(run.Components().TR.InTransaction());
    EXPECT_THROW(run.Run(db.Name(),
                         Write(Folder, {HeaderLine(), CouponLine("000102", "20240315", 5, 0),
                                        CouponLine("000101", "20240230", 5, 0)}),
                         dry),
                 Exception);
    EXPECT_FALSE(run.Components().TR.InTransaction());
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0);
    EXPECT_DOUBLE_EQ(db.Sale(2).Discount, 0);
    EXPECT_EQ(db.Sale(2).State, "A");
    EXPECT_EQ(db.StartCalls(), 0);
}

INSTANTIATE_TEST_SUITE_P(Access, RunEnds, ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const ::testing::TestParamInfo<TAccess>& info) {
                             return AccessName(info.param);
                         });
