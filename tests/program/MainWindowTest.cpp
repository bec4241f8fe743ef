// The main window as its layout builds it: controls, places, texts, tab order, first
// focus, the designed font, and controls that stay put when the window is resized.
#include "UPrincipal.h"
#include "app/DesignedFont.h"
#include "widgets/TextMetrics.h"

#include <QFile>
#include <QFontInfo>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace ortavo;

namespace {

struct MainWindowTest : ::testing::Test {
    void SetUp() override {
        form = std::make_unique<TForm1>();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(MainWindowTest, LayoutTable) {
    EXPECT_EQ(form->Caption(), u"Form1");
    EXPECT_EQ(form->size(), QSize(793, 322));
    struct Row {
        QWidget* control;
        const char* name;
        QRect place;
    } rows[] = {
        {form->Memo1, "Memo1", {8, 91, 761, 89}},
        {form->Memo2, "Memo2", {8, 192, 753, 130}},
        {form->edtArquivo, "edtArquivo", {8, 64, 473, 21}},
        {form->Button1, "Button1", {520, 56, 75, 25}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.control->objectName(), QString::fromLatin1(row.name));
        EXPECT_EQ(row.control->geometry(), row.place) << row.name;
    }
    // edtBase's height follows the font: 21 pixels around the designed font's 13-pixel cell.
    EXPECT_EQ(form->edtBase->objectName(), QStringLiteral("edtBase"));
    EXPECT_EQ(form->edtBase->pos(), QPoint(8, 24));
    EXPECT_EQ(form->edtBase->width(), 473);
    EXPECT_EQ(form->edtBase->height(), CellHeight(form->edtBase->font()) + 21 - 13);
    // Labels sit at their places and are as large as their text.
    EXPECT_EQ(form->Label1->pos(), QPoint(8, 8));
    EXPECT_EQ(form->Label2->pos(), QPoint(8, 51));
    EXPECT_EQ(form->Label1->Caption(), u"Base de Dados");
    EXPECT_EQ(form->Label2->Caption(), u"Arquivo AC 17/04");
    EXPECT_EQ(form->Label1->width(),
              form->Label1->fontMetrics().horizontalAdvance(QStringLiteral("Base de Dados")));

    EXPECT_EQ(form->edtBase->Text(), u"localhost:c:\\voras\\talimor\\base.fdb");
    EXPECT_EQ(form->edtArquivo->Text(), u"");
    EXPECT_EQ(form->edtArquivo->MaxLength(), 255);
    EXPECT_TRUE(form->edtArquivo->CheckOnExit());
    EXPECT_EQ(form->edtArquivo->GlyphMode().Blend, 0);
    EXPECT_FALSE(form->edtArquivo->GlyphMode().Grayed);
    EXPECT_EQ(form->Button1->Caption(), u"Iniciar");
    EXPECT_FALSE(form->Button1->isDefault());
    for (TMemo* memo : {form->Memo1, form->Memo2}) {
        EXPECT_TRUE(memo->ReadOnly());
        EXPECT_EQ(memo->Lines().Count(), 0);
        EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
}

TEST_F(MainWindowTest, ControlsAreCreatedInLayoutOrder) {
    QStringList names;
    for (QObject* child : form->children())
        if (child->isWidgetType())
            names << child->objectName();
    EXPECT_EQ(names, QStringList({"Label1", "Label2", "Memo1", "edtBase", "Memo2", "edtArquivo",
                                  "Button1"}));
}

TEST_F(MainWindowTest, FirstFocusAndTabOrderBothWays) {
    EXPECT_EQ(QApplication::focusWidget(), form->Memo1);
    QWidget* forward[] = {form->edtBase, form->Memo2, form->edtArquivo, form->Button1, form->Memo1};
    for (QWidget* next : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QWidget* backward[] = {form->Button1, form->edtArquivo, form->Memo2, form->edtBase,
                           form->Memo1};
    for (QWidget* next : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    EXPECT_EQ(form->Label1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form->edtArquivo->Button()->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowTest, TheDesignedFontKeepsTheLabelsAboveTheirFields) {
    // The font actually drawn with: Tahoma wherever the bundled copy is installed.
    const QString used = QFontInfo(form->Label2->font()).family();
    if (QFile::exists(QString::fromLatin1(BundledTahomaPath))) {
        EXPECT_EQ(used, QStringLiteral("Tahoma"));
    }
    EXPECT_EQ(form->font().pixelSize(), 11);
    for (QWidget* control : form->findChildren<QWidget*>())
        EXPECT_EQ(control->font(), form->font()) << control->objectName().toStdString();
    // In any font, a label ends above the field it names.
    EXPECT_LE(form->Label1->geometry().bottom(), form->edtBase->geometry().top() - 1);
    EXPECT_LE(form->Label2->geometry().bottom(), form->edtArquivo->geometry().top() - 1);
    if (used == QStringLiteral("Tahoma")) {
        // The designed sizes, and the single-line edit at its designed height. The copy of
        // Tahoma is metric-compatible, but the toolkit places glyphs at fractions of a
        // pixel where the designer's platform rounded each: a width may differ by one.
        EXPECT_NEAR(form->Label1->width(), 71, 1);
        EXPECT_NEAR(form->Label2->width(), 85, 1);
        EXPECT_EQ(form->Label1->height(), 13);
        EXPECT_EQ(form->Label2->height(), 13);
        EXPECT_EQ(form->edtBase->height(), 21);
    }
}

TEST_F(MainWindowTest, ResizingMovesNoControl) {
    QRect memo = form->Memo2->geometry(), button = form->Button1->geometry();
    for (QSize size : {QSize(300, 150), QSize(1200, 700), QSize(793, 322)}) {
        form->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->Memo2->geometry(), memo);
        EXPECT_EQ(form->Button1->geometry(), button);
    }
}
