// The memo view: read-only, never wrapping, scrolling with the line list, selection and
// copy, and painting a very long text.
#include "widgets/Memo.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

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
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first line\r\nsecond line\r\n"));

    const int row = memo.RowHeight();
    QWidget* view = memo.viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(1, row / 2));
    QTest::mouseMove(view, QPoint(view->width() - 2, row + row / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(view->width() - 2, row + row / 2),
                     view->mapToGlobal(QPointF(view->width() - 2, row + row / 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(view->width() - 2, row + row / 2));
    EXPECT_EQ(memo.SelText(), u"first line\r\nsecond line");

    QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(3, row / 2));
    EXPECT_EQ(memo.SelText(), u"first");
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
