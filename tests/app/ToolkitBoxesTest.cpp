// The toolkit's boxes as the operator gets them: the error box and the start-up failure box
// with a close button only, wide enough for their caption, an OK button without a picture,
// and the program's icon.
#include "app/Application.h"
#include "app/BoxWindow.h"
#include "app/Clipboard.h"
#include "app/NoticeBox.h"
#include "widgets/QtText.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace ortavo;

namespace {

struct BoxSeen {
    bool Shown = false;
    QString Caption;
    QString Text;
    Qt::WindowFlags Flags;
    int Width = 0;
    std::vector<bool> ButtonIcons;
    qint64 IconKey = 0;
};

// Shows a box through show() and looks at it once it is up, then presses its OK button.
BoxSeen ShowAndLook(const std::function<void()>& show,
                    const std::function<void(QMessageBox&)>& meanwhile = {}) {
    BoxSeen seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        seen = {true, box->windowTitle(),          box->text(), box->windowFlags(), box->width(),
                {},   box->windowIcon().cacheKey()};
        for (QAbstractButton* button : box->buttons())
            seen.ButtonIcons.push_back(!button->icon().isNull());
        if (meanwhile)
            meanwhile(*box);
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    show();
    return seen;
}

void ExpectCloseButtonOnly(Qt::WindowFlags flags) {
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

} // namespace

TEST(ToolkitBoxes, TheErrorBoxHasAPlainOkButtonAndRoomForItsCaption) {
    TQtBoxes boxes;
    const String caption = u"Conciliação de descontos e acréscimos do Ortavo";
    BoxSeen seen =
        ShowAndLook([&] { boxes.MessageBox(u"x.", caption, MB_OK | MB_ICONSTOP, nullptr); });
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Text, QStringLiteral("x."));
    EXPECT_EQ(seen.ButtonIcons, std::vector<bool>{false});
    EXPECT_GE(seen.Width, CaptionWidth(seen.Caption));
    ExpectCloseButtonOnly(seen.Flags);
    EXPECT_EQ(seen.IconKey, QApplication::windowIcon().cacheKey());
}

// Ctrl+C on the error box copies it in the notice box's layout.
TEST(ToolkitBoxes, CtrlCCopiesTheErrorBoxAsTheNoticeBoxDoes) {
    std::vector<String> copied;
    TClipboardWriter previous = SetClipboardWriter([&](const String& text) {
        copied.push_back(text);
        return String();
    });
    TQtBoxes boxes;
    String ok;
    ShowAndLook(
        [&] { boxes.MessageBox(u"Invalid date.", u"Ortavo", MB_OK | MB_ICONSTOP, nullptr); },
        [&](QMessageBox& box) {
            ok = FromQString(box.button(QMessageBox::Ok)->text());
            QTest::keyClick(box.button(QMessageBox::Ok), Qt::Key_C, Qt::ControlModifier);
            QTest::keyClick(box.button(QMessageBox::Ok), Qt::Key_C,
                            Qt::ControlModifier | Qt::AltModifier);
        });
    SetClipboardWriter(std::move(previous));
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0], NoticeClipboardText(u"Ortavo", u"Invalid date.", {ok}));
}

TEST(ToolkitBoxes, TheStartupFailureBoxToo) {
    TQtBoxes boxes;
    BoxSeen seen = ShowAndLook(
        [&] { boxes.StartupFailure(u"Application Error", u"Exception EFOpenError in module m"); });
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Caption, QStringLiteral("Application Error"));
    EXPECT_EQ(seen.ButtonIcons, std::vector<bool>{false});
    EXPECT_GE(seen.Width, CaptionWidth(seen.Caption));
    ExpectCloseButtonOnly(seen.Flags);
}
