// The notice box: content, layout, the keys that close it, and Ctrl+C with a working and a
// failing clipboard.
#include "app/NoticeBox.h"
#include "app/BoxWindow.h"
#include "app/Clipboard.h"
#include "widgets/QtText.h"

#include "RecordingBoxes.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

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
    const String text = u"ARQUIVO NÃO É DA EMPRESA DA BASE DE DADOS. IMPORTAÇÃO CANCELADA";
    TNoticeBox box(u"Ortavo", text);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Ortavo"));
    ASSERT_EQ(box.findChildren<QPushButton*>().size(), 1);
    EXPECT_EQ(box.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(box.OkButton()->isDefault());
    EXPECT_TRUE(box.OkButton()->icon().isNull());

    // The units: W is the average width of the 52 letters, H their height.
    const QFontMetrics metrics(box.font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int W = metrics.horizontalAdvance(letters) / 52, H = metrics.height();
    ASSERT_GT(W, 2);
    const QRect shown = box.TextRect();
    const QRect ok = box.OkButton()->geometry();
    EXPECT_EQ(shown.topLeft(), QPoint(std::lround(8.0 * W / 4), H)); // the margins
    EXPECT_EQ(shown.size(),
              metrics
                  .boundingRect(QRect(0, 0, box.screen()->geometry().width() / 2, 0),
                                Qt::TextWordWrap | Qt::TextExpandTabs, ToQString(text))
                  .size());
    EXPECT_EQ(ok.width(), std::max<int>(std::lround(50.0 * W / 4),
                                        metrics.horizontalAdvance(QStringLiteral("OK")) + 8));
    EXPECT_EQ(ok.height(), std::lround(14.0 * H / 8));
    EXPECT_EQ(ok.top(), H + shown.height() + std::lround(10.0 * H / 8));
    EXPECT_EQ(box.width(), shown.width() + 2 * shown.left());
    EXPECT_EQ(ok.left(), (box.width() - ok.width()) / 2);
    EXPECT_EQ(box.height(), ok.bottom() + 1 + H);
    // A long text wraps within half the screen's width.
    String words;
    for (int i = 0; i < 300; ++i)
        words += u"Documento ";
    TNoticeBox wide(u"Ortavo", words);
    EXPECT_LE(wide.TextRect().width(), QGuiApplication::primaryScreen()->geometry().width() / 2);
    EXPECT_GT(wide.TextRect().height(), shown.height());
}

TEST(NoticeBox, AShortTextStillLeavesRoomForTheWholeCaption) {
    for (const char16_t* caption : {u"Ortavo", u"Conciliação de descontos e acréscimos"}) {
        TNoticeBox box(caption, u"Concluído");
        QFont title = QApplication::font("QMdiSubWindowTitleBar");
        title.setBold(true);
        const int captionWidth = QFontMetrics(title).horizontalAdvance(ToQString(caption));
        // The caption, and beside it the window's icon and close button.
        EXPECT_GE(box.width(), CaptionWidth(ToQString(caption))) << ToUtf8(caption);
        EXPECT_GE(CaptionWidth(ToQString(caption)),
                  captionWidth + 2 * QFontMetrics(title).height());
        // The button stays centred.
        const QRect ok = box.OkButton()->geometry();
        EXPECT_EQ(ok.left(), (box.width() - ok.width()) / 2);
        // A close button only.
        const Qt::WindowFlags flags = box.windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    }
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
