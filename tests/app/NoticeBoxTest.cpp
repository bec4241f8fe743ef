// The notice box: content, layout, the keys that close it, and Ctrl+C with a working and a
// failing clipboard.
#include "app/NoticeBox.h"
#include "app/Clipboard.h"

#include "RecordingBoxes.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace ortavo;
using namespace ortavo::testing;

namespace {

// Replaces the clipboard: records what is put there, or fails with Error.
class FakeClipboard {
public:
    FakeClipboard() {
        FPrevious = SetClipboardWriter([this](const String& text) {
            if (!Error.empty())
                return Error;
            Texts.push_back(text);
            return String();
        });
    }
    ~FakeClipboard() { SetClipboardWriter(std::move(FPrevious)); }
    std::vector<String> Texts;
    String Error;

private:
    TClipboardWriter FPrevious;
};

struct ShownBox {
    explicit ShownBox(const String& text) : box(u"Ortavo", text) {
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
    }
    TNoticeBox box;
};

} // namespace

TEST(NoticeBox, OneDefaultOkButtonLaidOutInItsFontUnits) {
    TNoticeBox box(u"Ortavo", u"ARQUIVO NÃO É DA EMPRESA DA BASE DE DADOS. IMPORTAÇÃO CANCELADA");
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Ortavo"));
    ASSERT_EQ(box.findChildren<QPushButton*>().size(), 1);
    EXPECT_EQ(box.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(box.OkButton()->isDefault());
    QRect text = box.TextRect();
    QRect ok = box.OkButton()->geometry();
    EXPECT_GT(text.left(), 0);
    EXPECT_GT(text.top(), 0);
    EXPECT_GT(ok.top(), text.bottom());
    EXPECT_EQ(box.width(), text.width() + 2 * text.left());
    EXPECT_LE(std::abs(ok.left() + ok.width() / 2 - box.width() / 2), 1);
    EXPECT_EQ(box.height(), ok.bottom() + 1 + text.top());
    // A long text wraps within half the screen's width.
    String words;
    for (int i = 0; i < 300; ++i)
        words += u"Documento ";
    TNoticeBox wide(u"Ortavo", words);
    EXPECT_LE(wide.TextRect().width(), QGuiApplication::primaryScreen()->geometry().width() / 2);
    EXPECT_GT(wide.TextRect().height(), text.height());
}

TEST(NoticeBox, EnterSpaceEscAndTheCloseBoxAllEndItWithOk) {
    for (int way = 0; way < 4; ++way) {
        ShownBox shown(u"Concluído");
        QPushButton* ok = shown.box.OkButton();
        switch (way) {
        case 0:
            QTest::keyClick(ok, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(ok, Qt::Key_Space);
            break;
        case 2:
            QTest::keyClick(ok, Qt::Key_Escape);
            break;
        case 3:
            shown.box.close();
            break;
        }
        EXPECT_FALSE(shown.box.isVisible()) << way;
        EXPECT_EQ(shown.box.result(), QDialog::Accepted) << way;
    }
}

TEST(NoticeBox, CtrlCCopiesTheBoxAsTextWithCrLf) {
    FakeClipboard clipboard;
    ShownBox shown(u"Não conseguiu conectar a base de dados");
    QTest::keyClick(shown.box.OkButton(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(clipboard.Texts.size(), 1u);
    const String line(27, u'-');
    EXPECT_EQ(clipboard.Texts[0], line + u"\r\nOrtavo\r\n" + line +
                                      u"\r\nNão conseguiu conectar a base de dados\r\n" + line +
                                      u"\r\nOK   \r\n" + line + u"\r\n");
    EXPECT_TRUE(shown.box.isVisible());
    // Only Ctrl+C, with no other modifier.
    QTest::keyClick(shown.box.OkButton(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(shown.box.OkButton(), Qt::Key_C);
    EXPECT_EQ(clipboard.Texts.size(), 1u);
    EXPECT_EQ(NoticeClipboardText(u"T", u"x", {u"&Yes", u"&No"}),
              line + u"\r\nT\r\n" + line + u"\r\nx\r\n" + line + u"\r\nYes   No   \r\n" + line +
                  u"\r\n");
}

TEST(NoticeBox, AFailingClipboardIsReportedByTheErrorBoxAndTheBoxStaysOpen) {
    ScopedBoxes boxes;
    FakeClipboard clipboard;
    clipboard.Error = u"Access is denied";
    ShownBox shown(u"Concluído");
    QTest::keyClick(shown.box.OkButton(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].What, BoxShown::Message);
    EXPECT_EQ(boxes.Shown[0].Text, u"Cannot open clipboard: Access is denied.");
    EXPECT_EQ(boxes.Shown[0].Flags, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(shown.box.isVisible());
}

TEST(Clipboard, TheToolkitClipboardTakesTheText) {
    SetClipboardText(u"linha 1\r\nlinha 2\r\n");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("linha 1\r\nlinha 2\r\n"));
}
