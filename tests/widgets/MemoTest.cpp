// The memo view: read-only, never wrapping, scrolling with the line list, the caret and
// its keys, selection, copy and the context menu, the focus it shows, and painting and
// moving through a very long text.
#include "widgets/Memo.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

struct MemoTest : ::testing::Test {
    void SetUp() override {
        memo.setGeometry(8, 91, 761, 89);
        memo.show();
    }
    int HMax() const { return memo.horizontalScrollBar()->maximum(); }
    TMemo memo;
};

using MemoX11Test = MemoTest;

// Drags the mouse from the first row's start to the second row's end.
void SelectTwoRowsWithTheMouse(TMemo& memo) {
    const int row = memo.RowHeight();
    QWidget* view = memo.viewport();
    const QPoint end(view->width() - 2, row + row / 2);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(1, row / 2));
    QTest::mouseMove(view, end);
    QMouseEvent move(QEvent::MouseMove, QPointF(end), view->mapToGlobal(QPointF(end)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, end);
}

// A memo with the focus in an active window, in a fixed-pitch font so that columns are
// easy to reckon.
struct CaretTest : ::testing::Test {
    void SetUp() override {
        memo.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        memo.resize(300, 120);
        memo.show();
        memo.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&memo));
        memo.setFocus();
        ASSERT_TRUE(memo.hasFocus());
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&memo, key, modifiers);
    }
    // Row and column of the caret.
    std::pair<int, int> Caret() const {
        int row = memo.Lines().RowOfOffset(memo.CaretPos());
        return {row, static_cast<int>(memo.CaretPos() - memo.Lines().RowStart(row))};
    }
    QColor PixelAtCaret() {
        QRect caret = memo.CaretRect();
        return memo.viewport()->grab().toImage().pixelColor(caret.center());
    }
    TMemo memo;
};

// Right-clicks the view and, once its menu is up, records its entries and picks one.
std::vector<std::pair<QString, bool>> RightClickAndPick(TMemo& memo, const QString& pick) {
    std::vector<std::pair<QString, bool>> entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            QString text = action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
            entries.emplace_back(text, action->isEnabled());
            if (text == pick)
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    QPoint at(10, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, memo.viewport()->mapToGlobal(at));
    QApplication::sendEvent(memo.viewport(), &event);
    return entries;
}

} // namespace

TEST_F(MemoTest, LongLinesNeverWrapAtAnyWidth) {
    String line(3000, u'9');
    memo.Lines().SetText(u"E01" + line + u"\r\nE14 short\r\n");
    for (int width : {60, 300, 761, 4000}) {
        memo.resize(width, 89);
        EXPECT_EQ(memo.Lines().Count(), 2) << width;
        EXPECT_EQ(memo.Lines().RowCount(), 3) << width;
        EXPECT_EQ(memo.Lines().Get(1), u"E14 short");
        // The rows stay one under the other: the second row starts one row down.
        EXPECT_EQ(memo.Lines().RowOfOffset(memo.OffsetAt(QPoint(1, memo.RowHeight() + 1))), 1);
    }
    memo.resize(300, 89);
    EXPECT_GT(HMax(), 3000 * memo.fontMetrics().averageCharWidth() - 300 - 1);
    EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(MemoTest, TheOperatorCannotChangeTheText) {
    memo.Lines().SetText(u"keep\r\n");
    memo.setFocus();
    QTest::keyClicks(&memo, QStringLiteral("xyz"));
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QTest::keyClick(&memo, Qt::Key_Delete);
    QTest::keyClick(&memo, Qt::Key_Return);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keySequence(&memo, QKeySequence::Paste);
    QTest::keySequence(&memo, QKeySequence::Cut);
    EXPECT_EQ(memo.Lines().Text(), u"keep\r\n");
    EXPECT_TRUE(memo.ReadOnly());
}

TEST_F(MemoTest, SelectAllCopyAndMouseSelection) {
    memo.Lines().SetText(u"first line\r\nsecond line\r\n");
    memo.setFocus();
    QTest::keySequence(&memo, QKeySequence::SelectAll);
    QTest::keySequence(&memo, QKeySequence::Copy);
    // Pasted elsewhere on Linux: LF line ends.
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first line\nsecond line\n"));

    SelectTwoRowsWithTheMouse(memo);
    EXPECT_EQ(memo.SelText(), u"first line\r\nsecond line");

    const int row = memo.RowHeight();
    QTest::mouseDClick(memo.viewport(), Qt::LeftButton, {}, QPoint(3, row / 2));
    EXPECT_EQ(memo.SelText(), u"first");
}

// X11 only (CTest runs it under a virtual display).
TEST_F(MemoX11Test, TheMouseSelectionIsThePrimarySelection) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    ASSERT_TRUE(QApplication::clipboard()->supportsSelection());
    QApplication::clipboard()->setText(QStringLiteral("before"), QClipboard::Selection);
    memo.Lines().SetText(u"first line\r\nsecond line\r\n");
    memo.setFocus();
    SelectTwoRowsWithTheMouse(memo);
    EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection),
              QStringLiteral("first line\nsecond line"));
}

TEST_F(MemoTest, AppendsScrollToTheNewestLineAndLoadingGoesToTheTop) {
    for (int i = 0; i < 50; ++i)
        memo.Lines().Add(u"12:00:00 -> Documento: " + IntToStr(i));
    EXPECT_EQ(memo.TopRow(), memo.verticalScrollBar()->maximum());
    EXPECT_GT(memo.TopRow(), 40);
    int width = HMax();
    memo.Lines().Add(u"12:00:00 -> " + String(500, u'W'));
    EXPECT_GT(HMax(), width);

    memo.Lines().SetText(u"a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\n");
    EXPECT_EQ(memo.TopRow(), 0);
    EXPECT_EQ(memo.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(HMax(), 0);
    memo.Lines().Clear();
    EXPECT_EQ(memo.verticalScrollBar()->maximum(), 0);
}

TEST_F(MemoTest, AppendingUnderAVeryLongRowStaysCheap) {
    memo.Lines().SetText(String(16000, u'W') + u"\r\n");
    int width = HMax();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 20000; ++i)
        memo.Lines().Add(u"12:00:00 -> Documento: 000123");
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(HMax(), width);
}

TEST_F(MemoTest, AHugeTextLoadsAndPaintsQuickly) {
    String text;
    String record = u"E14BE091110100011220710" + String(100, u'0') + u"\r\n";
    text.reserve(record.size() * 400000);
    for (int i = 0; i < 400000; ++i)
        text += record;
    QElapsedTimer timer;
    timer.start();
    memo.Lines().SetText(std::move(text));
    memo.verticalScrollBar()->setValue(200000);
    QPixmap shot = memo.grab();
    memo.verticalScrollBar()->setValue(memo.verticalScrollBar()->maximum());
    shot = memo.grab();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(memo.Lines().Count(), 400000);
    EXPECT_FALSE(shot.isNull());
}

TEST_F(CaretTest, ArrowsHomeEndAndTheRowsBetween) {
    memo.Lines().SetText(u"first line\r\nsecond\r\nthe third line\r\n");
    EXPECT_EQ(Caret(), std::make_pair(0, 0));
    Press(Qt::Key_End);
    EXPECT_EQ(Caret(), std::make_pair(0, 10));
    // Down keeps the column the caret started from across a shorter row.
    Press(Qt::Key_Down);
    EXPECT_EQ(Caret(), std::make_pair(1, 6));
    Press(Qt::Key_Down);
    EXPECT_EQ(Caret(), std::make_pair(2, 10));
    Press(Qt::Key_Home);
    EXPECT_EQ(Caret(), std::make_pair(2, 0));
    // Left and right step over a line break as one character.
    Press(Qt::Key_Left);
    EXPECT_EQ(Caret(), std::make_pair(1, 6));
    Press(Qt::Key_Right);
    EXPECT_EQ(Caret(), std::make_pair(2, 0));
    Press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Caret(), std::make_pair(2, 4));
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    Press(Qt::Key_Up); // at the first row it stays
    EXPECT_EQ(Caret(), std::make_pair(0, 4));
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo.CaretPos(), memo.Lines().TextRef().size());
    Press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(memo.CaretPos(), 0u);
    EXPECT_EQ(memo.SelLength(), 0u);
}

TEST_F(CaretTest, ShiftExtendsTheSelectionAndCopyTakesIt) {
    memo.Lines().SetText(u"first line\r\nsecond\r\nthe third line\r\n");
    Press(Qt::Key_Right, Qt::ControlModifier);
    Press(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), u"line");
    Press(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), u"line\r\nsecond");
    QTest::keyClick(&memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("line\nsecond"));
    // Without Shift a move ends the selection; Left goes to where it began.
    Press(Qt::Key_Left);
    EXPECT_EQ(memo.SelLength(), 0u);
    EXPECT_EQ(Caret(), std::make_pair(0, 6));
    Press(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), u"line\r\nsecond\r\nthe third line\r\n");
    Press(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), u"first ");
    Press(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(memo.SelLength(), 0u);
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ControlModifier); // nothing selected: kept
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("line\nsecond"));
    EXPECT_EQ(memo.Lines().Text(), u"first line\r\nsecond\r\nthe third line\r\n");
}

TEST_F(CaretTest, PageKeysMoveTheCaretAndTheViewByAPage) {
    String text;
    for (int i = 0; i < 60; ++i)
        text += u"row " + IntToStr(i) + u"\r\n";
    memo.Lines().SetText(text);
    const int page = memo.RowsInView();
    ASSERT_GT(page, 2);
    Press(Qt::Key_Right);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Caret(), std::make_pair(page, 1));
    EXPECT_EQ(memo.TopRow(), page);
    Press(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(Caret(), std::make_pair(2 * page, 1));
    EXPECT_EQ(memo.SelLength(), memo.Lines().RowStart(2 * page) - memo.Lines().RowStart(page));
    Press(Qt::Key_PageUp);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(Caret(), std::make_pair(0, 1));
    EXPECT_EQ(memo.TopRow(), 0);
    // The caret stays in view when it runs past the bottom or the right edge.
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo.TopRow(), memo.verticalScrollBar()->maximum());
    memo.Lines().SetText(u"short\r\n" + String(400, u'x') + u"\r\n");
    Press(Qt::Key_Down);
    Press(Qt::Key_End);
    EXPECT_GT(memo.horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(memo.viewport()->rect().contains(memo.CaretRect()));
    Press(Qt::Key_Home);
    EXPECT_EQ(memo.horizontalScrollBar()->value(), 0);
}

TEST_F(CaretTest, TheCaretAndTheFrameShowTheFocus) {
    memo.Lines().SetText(u"ab\r\n");
    Press(Qt::Key_End);
    const QColor text = memo.palette().color(QPalette::Text);
    const QColor base = memo.palette().color(QPalette::Base);
    EXPECT_EQ(memo.CaretRect().left(),
              2 + memo.fontMetrics().horizontalAdvance(QStringLiteral("ab")));
    EXPECT_EQ(PixelAtCaret(), text);
    const QImage focused = memo.grab().toImage();

    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(memo.hasFocus());
    EXPECT_EQ(PixelAtCaret(), base);
    // The frame differs too, on the left edge half way down.
    const QImage unfocused = memo.grab().toImage();
    const QPoint edge(0, memo.height() / 2);
    EXPECT_NE(focused.pixelColor(edge), unfocused.pixelColor(edge));
}

TEST_F(CaretTest, TheContextMenuOffersCopyAndSelectAll) {
    memo.Lines().SetText(u"E01 header\r\nE14 coupon\r\n");
    auto entries = RightClickAndPick(memo, QStringLiteral("Select All"));
    using Entry = std::pair<QString, bool>;
    EXPECT_EQ(entries, (std::vector<Entry>{{QStringLiteral("Copy"), false},
                                           {QStringLiteral("Select All"), true}}));
    EXPECT_EQ(memo.SelText(), u"E01 header\r\nE14 coupon\r\n");

    memo.Select(4, 6);
    entries = RightClickAndPick(memo, QStringLiteral("Copy"));
    EXPECT_EQ(entries, (std::vector<Entry>{{QStringLiteral("Copy"), true},
                                           {QStringLiteral("Select All"), true}}));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("header"));
    EXPECT_EQ(memo.Lines().Text(), u"E01 header\r\nE14 coupon\r\n");
}

TEST_F(CaretTest, MovingThroughAHugeTextStaysQuick) {
    String text;
    String record = u"E14BE091110100011220710" + String(100, u'0') + u"\r\n";
    text.reserve(record.size() * 400000);
    for (int i = 0; i < 400000; ++i)
        text += record;
    memo.Lines().SetText(std::move(text));
    QElapsedTimer timer;
    timer.start();
    Press(Qt::Key_End, Qt::ControlModifier);
    for (int i = 0; i < 300; ++i) {
        Press(Qt::Key_PageUp);
        Press(Qt::Key_Up, Qt::ShiftModifier);
        Press(Qt::Key_End);
        Press(Qt::Key_Left, Qt::ShiftModifier);
    }
    Press(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(memo.CaretPos(), 0u);
    EXPECT_GT(memo.SelLength(), 300u * 126u);
    EXPECT_EQ(memo.TopRow(), 0);
}
