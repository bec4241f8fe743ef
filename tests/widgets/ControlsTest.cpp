// The plain controls: the button's keys and its click handler's failures, the label's
// size, the edit's selection on keyboard focus and its height that follows the font.
#include "widgets/Button.h"
#include "widgets/Edit.h"
#include "widgets/EventGuard.h"
#include "widgets/Label.h"
#include "widgets/TextMetrics.h"

#include "base/Exception.h"

#include <QFontMetrics>
#include <QTest>

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

// Collects what event handlers raise while it lives.
class CaughtEvents {
public:
    CaughtEvents() {
        FPrevious = SetEventExceptionHandler([this](QObject* sender, std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const Exception& x) {
                Messages.push_back(x.Message());
                Senders.push_back(sender);
            }
        });
    }
    ~CaughtEvents() { SetEventExceptionHandler(std::move(FPrevious)); }
    std::vector<String> Messages;
    std::vector<QObject*> Senders;

private:
    TEventExceptionHandler FPrevious;
};

} // namespace

TEST(Button, MouseSpaceAndEnterClickIt) {
    TButton button;
    button.SetCaption(u"Iniciar");
    int clicks = 0;
    QObject* sender = nullptr;
    button.OnClick = [&](QObject* s) {
        ++clicks;
        sender = s;
    };
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::keyClick(&button, Qt::Key_Space);
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(sender, &button);
    EXPECT_FALSE(button.isDefault());
    EXPECT_FALSE(button.autoDefault());
}

TEST(Button, WhatTheClickRaisesGoesToTheHandlerNotThroughQt) {
    CaughtEvents caught;
    TButton button;
    button.OnClick = [](QObject*) { throw EConvertError(u"Invalid date"); };
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(caught.Messages.size(), 1u);
    EXPECT_EQ(caught.Messages[0], u"Invalid date");
    EXPECT_EQ(caught.Senders[0], &button);
    // The button works on afterwards.
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(caught.Messages.size(), 2u);
}

TEST(Label, KeepsItsCornerAndTakesTheSizeOfItsText) {
    QWidget window;
    TLabel label(&window);
    label.setGeometry(8, 51, 85, 13);
    label.SetCaption(u"Arquivo AC 17/04");
    QFontMetrics metrics(label.font());
    EXPECT_EQ(label.pos(), QPoint(8, 51));
    EXPECT_EQ(label.width(), metrics.horizontalAdvance(QStringLiteral("Arquivo AC 17/04")));
    EXPECT_EQ(label.height(), CellHeight(label.font()));
    EXPECT_GE(label.height(), metrics.ascent() + metrics.descent());
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus);
}

TEST(Edit, KeyboardFocusSelectsTheWholeTextAndTheTextIsVerbatim) {
    QWidget window;
    TEdit first(&window);
    TEdit edit(&window);
    edit.SetText(u"  localhost:c:\\voras\\talimor\\base.fdb  ");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first.setFocus();
    edit.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit.selectedText(), edit.text());
    EXPECT_EQ(edit.Text(), u"  localhost:c:\\voras\\talimor\\base.fdb  ");
}

TEST(Edit, TheHeightFollowsTheFontWhateverTheLayoutSays) {
    QWidget window;
    QFont small = window.font();
    small.setPixelSize(11);
    window.setFont(small);
    TEdit edit(&window);
    edit.setGeometry(8, 24, 473, 21);
    const int designed = edit.height();
    EXPECT_EQ(edit.geometry().topLeft(), QPoint(8, 24));
    EXPECT_EQ(edit.width(), 473);
    EXPECT_GT(designed, edit.fontMetrics().height());

    QFont large = small;
    large.setPixelSize(30);
    window.setFont(large);
    EXPECT_GT(edit.height(), designed + 15);
    EXPECT_GT(edit.height(), edit.fontMetrics().height());
    EXPECT_EQ(edit.geometry().topLeft(), QPoint(8, 24));
    EXPECT_EQ(edit.width(), 473);

    edit.SetAutoSize(false);
    edit.setGeometry(8, 24, 473, 21);
    EXPECT_EQ(edit.height(), 21);
}
