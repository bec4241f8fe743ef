// TMemo: the read-only multi-line view. It draws only the visible rows straight from its
// line list, never wraps (both scroll bars), shows a caret and a focus frame while it has
// the focus, and lets the operator move, select and copy by keyboard, mouse and menu.
#pragma once

#include "base/MemoLines.h"
#include "widgets/TextMetrics.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>

namespace ortavo {

class TMemo : public QAbstractScrollArea {
public:
    explicit TMemo(QWidget* parent = nullptr);

    // The line list is the view's text; the view follows its changes.
    TMemoLines& Lines() noexcept { return FLines; }
    const TMemoLines& Lines() const noexcept { return FLines; }
    bool ReadOnly() const noexcept { return true; }

    // The selection as text offsets into Lines().TextRef().
    std::size_t SelStart() const noexcept { return std::min(FAnchor, FCaret); }
    std::size_t SelLength() const noexcept;
    String SelText() const;
    void Select(std::size_t start, std::size_t length);
    void SelectAll();
    void CopyToClipboard() const;

    // The caret: a text offset, never inside a line break. The selection runs from its
    // anchor to the caret.
    std::size_t CaretPos() const noexcept { return FCaret; }
    // Where the caret is drawn, in viewport coordinates; empty while it is out of view.
    QRect CaretRect() const;

    // Geometry of the drawn text, for scrolling and tests.
    int RowHeight() const;
    int TopRow() const;
    int RowsInView() const;
    // Width of the whole text: the longest row by character count, estimated cheaply.
    int ContentWidth() const;
    // The text offset under a point of the viewport.
    std::size_t OffsetAt(QPoint point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The selection's text with LF line ends, to the clipboard or the primary selection.
    void CopyTo(QClipboard::Mode mode) const;

    enum class TMove;

    bool MoveCaret(QKeyEvent* event);
    std::size_t MoveTarget(TMove move, bool extend);
    std::size_t RowEnd(int row) const;
    std::size_t WordEdge(std::size_t from, bool forward) const;
    std::size_t ColumnAt(int row, int x) const;
    int CaretX() const;
    void RestartBlink();
    void RowsChanged(TMemoChange change, int firstRow);
    void ScanRows(int firstRow);
    void ScanAllRows();
    void UpdateScrollBars();
    void SetCaret(std::size_t offset, bool extend);
    void ScrollToCaret();
    void ClampCaret();
    int ColumnX(StringView row, std::size_t column) const;

    TMemoLines FLines;
    std::size_t FAnchor = 0;
    std::size_t FCaret = 0;
    // The x, from the text's left edge, that moving up and down keeps; -1 when none.
    int FPreferredX = -1;
    QBasicTimer FBlink;
    bool FCaretOn = true;
    TTextCell FCell;
    // Longest row seen so far, in characters, and how many rows were looked at.
    std::size_t FLongestRow = 0;
    int FLongestRowIndex = 0;
    int FScannedRows = 0;
    mutable int FContentWidth = -1;
};

} // namespace ortavo
