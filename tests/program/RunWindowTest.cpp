// The real main window, offscreen, clicked with a database and a file: its log view, its
// boxes, and how it behaves while the run works.
#include "RunFixture.h"

#include "UPrincipal.h"
#include "app/RecordingBoxes.h"

#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace ortavo;
using namespace ortavo::test;

namespace {

std::vector<std::string> LogMessages(const TForm1& form) {
    std::vector<std::string> messages;
    const TMemoLines& lines = form.Memo2->Lines();
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string line = ToUtf8(lines.Get(i));
        EXPECT_EQ(line.substr(8, 4), " -> ") << line;
        messages.push_back(line.substr(12));
    }
    return messages;
}

struct RunWindowTest : ::testing::Test {
    void SetUp() override {
        form = std::make_unique<TForm1>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    ScopedFormatSettings Settings{ortavo::testing::WithDecimalSeparator(u'.')};
    ortavo::testing::ScopedBoxes boxes;
    ortavo::testing::TempFolder folder;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(RunWindowTest, TheClickRunsTheReconciliation) {
    TBusinessDatabase db(TAccess::Server);
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    const std::string file = folder.Write(
        "memoria.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 5, 1),
                                   CouponLine("000177", "20240315", 5, 1)}));
    form->edtBase->SetText(db.Name());
    form->edtArquivo->SetText(FromUtf8(file));
    // Closing the window and clicking again while the run is in its last box neither ends
    // the run nor starts a second one; the close comes once the run is over.
    int clicksDuringRun = 0;
    boxes.Boxes->WhileShown = [&] {
        // Until the run's last box closes the window shows it is busy.
        EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
        EXPECT_FALSE(form->Button1->isEnabled());
        EXPECT_FALSE(form->edtBase->isEnabled());
        EXPECT_FALSE(form->edtArquivo->isEnabled());
        if (clicksDuringRun++ == 0) {
            form->close();
            QTest::mouseClick(form->Button1, Qt::LeftButton);
            EXPECT_TRUE(form->isVisible());
        }
    };
    QTest::mouseClick(form->Button1, Qt::LeftButton);

    EXPECT_THAT(LogMessages(*form),
                ::testing::ElementsAreArray(Joined({
                    {"Cnpj da empresa: 12345678000195"},
                    CouponLog("000101", "0.05", "0.01"),
                    {SaleLog(1, "0.00", "0.00"), "*****    Vai atualizar    *****", "PROCESSADO 1"},
                    CouponLog("000177", "0.05", "0.01"),
                    {"--->>>> Documento não encontrado", "Concluído"},
                })));
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].What, ortavo::testing::BoxShown::Notice);
    EXPECT_EQ(ToUtf8(boxes.Shown[0].Text), "Concluído");
    EXPECT_EQ(form->Memo1->Lines().Count(), 3);
    EXPECT_EQ(db.Sale(1).State, "P");
    EXPECT_DOUBLE_EQ(db.Sale(1).Discount, 0.05);
    EXPECT_NE(form->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(form->Button1->isEnabled() && form->edtBase->isEnabled() &&
                form->edtArquivo->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 5000));
}

// A Brazilian session: the C library writes and reads decimal commas, and the regional
// settings give the comma too. Wide NUMERIC amounts read back exactly, so an equal sale
// stays untouched, and every amount is logged with one comma.
TEST_F(RunWindowTest, WideNumericAmountsInABrazilianSession) {
    const ortavo::testing::ScopedCommaLocale comma;
    const ScopedFormatSettings brazilian{ortavo::testing::WithDecimalSeparator(u',')};
    for (const char* amount : {"NUMERIC(18,6)", "NUMERIC(18,4)"}) {
        SCOPED_TRACE(amount);
        TBusinessShape shape;
        shape.Amount = amount;
        TBusinessDatabase db(TAccess::Embedded, shape);
        db.AddSale({4, "000104", "2024-03-15", "19.99", "0.1"});
        db.AddSale({5, "000105", "2024-03-15", "0.1", "0"});
        form->edtBase->SetText(db.Name());
        form->edtArquivo->SetText(FromUtf8(folder.Write(
            "memoria.txt", FiscalText({HeaderLine(), CouponLine("000104", "20240315", 1999, 10),
                                       CouponLine("000105", "20240315", 125, 0)}))));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        EXPECT_THAT(LogMessages(*form),
                    ::testing::ElementsAreArray(Joined({
                        {"Cnpj da empresa: 12345678000195"},
                        CouponLog("000104", "19,99", "0,10"),
                        {SaleLog(4, "19,99", "0,10")},
                        CouponLog("000105", "1,25", "0,00"),
                        {SaleLog(5, "0,10", "0,00"), "*****    Vai atualizar    *****",
                         "PROCESSADO 5", "Concluído"},
                    })));
        EXPECT_EQ(db.Sale(4).State, "A");
        EXPECT_EQ(db.Sale(4).Discount, 19.99);
        EXPECT_EQ(db.Sale(5).State, "P");
        EXPECT_EQ(db.Sale(5).Discount, 1.25);
    }
}

TEST_F(RunWindowTest, ARefusedConnectionShowsTheBoxThenTheLine) {
    TBusinessDatabase db(TAccess::Embedded);
    form->edtBase->SetText(db.Database().MissingName());
    form->edtArquivo->SetText(FromUtf8(folder.Write("memoria.txt", FiscalText({HeaderLine()}))));
    form->log(u"kept");
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(ToUtf8(boxes.Shown[0].Text), "Não conseguiu conectar a base de dados");
    const std::vector<std::string> log = LogMessages(*form);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "kept");
    EXPECT_EQ(log[1], "Sem acesso a base de dados. Importação encerrada");
}

TEST_F(RunWindowTest, AnErrorReachesTheErrorBoxAndTheWindowStaysUsable) {
    TBusinessDatabase db(TAccess::Embedded);
    db.AddSale({1, "000101", "2024-03-15", "0", "0"});
    form->edtBase->SetText(db.Name());
    form->edtArquivo->SetText(FromUtf8(folder.Write(
        "memoria.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240230", 5, 1)}))));
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].What, ortavo::testing::BoxShown::Message);
    EXPECT_EQ(ToUtf8(boxes.Shown[0].Text), "Invalid date.");
    form->edtArquivo->SetText(FromUtf8(folder.Write(
        "memoria.txt", FiscalText({HeaderLine(), CouponLine("000101", "20240315", 5, 1)}))));
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(ToUtf8(boxes.Shown[1].Text), "Concluído");
}

// A long run lets the window repaint: the log shows lines before the run has ended, while
// a click on the button meanwhile starts nothing.
TEST_F(RunWindowTest, TheLogShowsLinesWhileTheRunWorks) {
    TBusinessDatabase db(TAccess::Embedded);
    // Long enough to outlast several repaint intervals on a fast, idle machine.
    std::vector<std::string> lines{HeaderLine()};
    for (int i = 0; i < 5000; ++i)
        lines.push_back(CouponLine("000" + std::to_string(100 + i), "20240315", 5, 0));
    form->edtBase->SetText(db.Name());
    form->edtArquivo->SetText(FromUtf8(folder.Write("memoria.txt", FiscalText(lines))));
    int seenMidRun = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const TMemoLines& log = form->Memo2->Lines();
        if (log.Count() > 0 && !ToUtf8(log.Get(log.Count() - 1)).ends_with("Concluído")) {
            ++seenMidRun;
            QTest::mouseClick(form->Button1, Qt::LeftButton);
        }
    });
    watch.start(20);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    watch.stop();
    EXPECT_GT(seenMidRun, 0);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(ToUtf8(boxes.Shown[0].Text), "Concluído");
}
