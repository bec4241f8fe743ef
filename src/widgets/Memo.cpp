// The read-only multi-line view: painting, scrolling, the caret and its keys, selection,
// copy and the context menu.
#include "widgets/Memo.h"

#include "widgets/QtText.h"
#include "widgets/TextMetrics.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace ortavo {

namespace {

// Blank pixels left of the text.
constexpr int Margin = 2;
// Longest row that is measured exactly for the horizontal extent; longer ones are estimated.
constexpr std::size_t MeasuredRowLimit = 16384;

// The narrowest advance of the characters that are usually the narrowest, so that a row
// can be cut to what could possibly be visible.
int NarrowestAdvance(const QFontMetrics& metrics) {
    int narrowest = metrics.averageCharWidth();
    for (QChar c : QStringLiteral(" .,:;'!|iIlj"))
        narrowest = std::min(narrowest, metrics.horizontalAdvance(c));
    return std::max(1, narrowest);
}

bool IsWordChar(char16_t c) {
    return QChar(c).isLetterOrNumber() || c == u'_';
}

// A menu entry with its shortcut shown beside it, as the edits' own menus show theirs.
QString MenuText(const QString& caption, QKeySequence::StandardKey key) {
    return caption + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

// The edits' menu entries, in the toolkit's translation when one is loaded.
QString CopyCaption() {
    return QCoreApplication::translate("QLineEdit", "&Copy");
}

QString SelectAllCaption() {
    const QString translated = QCoreApplication::translate("QLineEdit", "Select All");
    if (translated == QLatin1String("Select All"))
        return QStringLiteral("Select &All");
    // The translations carry no mnemonic here: the first letter takes it.
    return translated.contains(QLatin1Char('&')) ? translated : QLatin1Char('&') + translated;
}

} // namespace

// Where a navigation key takes the caret.
enum class TMemo::TMove {
    PreviousChar,
    NextChar,
    PreviousWord,
    NextWord,
    LineStart,
    LineEnd,
    PreviousLine,
    NextLine,
    PreviousPage,
    NextPage,
    DocumentStart,
    DocumentEnd
};

TMemo::TMemo(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FCell = TextCell(font());
    FLines.OnRowsChanged = [this](TMemoChange change, int firstRow) {
        RowsChanged(change, firstRow);
    };
    UpdateScrollBars();
}

std::size_t TMemo::SelLength() const noexcept {
    return FAnchor > FCaret ? FAnchor - FCaret : FCaret - FAnchor;
}

String TMemo::SelText() const {
    return FLines.TextRef().substr(SelStart(), SelLength());
}

void TMemo::Select(std::size_t start, std::size_t length) {
    std::size_t size = FLines.TextRef().size();
    FAnchor = std::min(start, size);
    FCaret = std::min(size, FAnchor + std::min(length, size - FAnchor));
    FPreferredX = -1;
    RestartBlink();
}

void TMemo::SelectAll() {
    Select(0, FLines.TextRef().size());
}

void TMemo::CopyToClipboard() const {
    CopyTo(QClipboard::Clipboard);
}

void TMemo::CopyTo(QClipboard::Mode mode) const {
    if (SelLength() == 0)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mode == QClipboard::Selection && !clipboard->supportsSelection())
        return;
    // Linux programs paste LF line ends; the lines keep CR LF among themselves.
    QString text = ToQString(StringView(FLines.TextRef()).substr(SelStart(), SelLength()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    clipboard->setText(text, mode);
}

int TMemo::RowHeight() const {
    // A row is the font's cell, so that accented capitals stay clear of the row above.
    return std::max(1, FCell.Height);
}

int TMemo::TopRow() const {
    return verticalScrollBar()->value();
}

int TMemo::RowsInView() const {
    return std::max(1, viewport()->height() / RowHeight());
}

int TMemo::ContentWidth() const {
    if (FContentWidth < 0) {
        QFontMetrics metrics = fontMetrics();
        // Rows are not measured one by one: the row with the most characters stands for
        // the text, measured when it is not huge and never below the average estimate.
        qint64 width = static_cast<qint64>(FLongestRow) * metrics.averageCharWidth();
        if (FLongestRow > 0 && FLongestRow <= MeasuredRowLimit &&
            FLongestRowIndex < FLines.RowCount())
            width = std::max<qint64>(
                width, metrics.horizontalAdvance(ToQString(FLines.Row(FLongestRowIndex))));
        width += 2 * Margin + metrics.averageCharWidth();
        FContentWidth = static_cast<int>(std::min<qint64>(width, 0x3FFFFFFF));
    }
    return FContentWidth;
}

void TMemo::ScanRows(int firstRow) {
    // The extent is measured again only when the longest row is another one or grew.
    bool longer = firstRow <= 0 || FLongestRowIndex >= firstRow;
    for (int r = std::max(0, firstRow), n = FLines.RowCount(); r < n; ++r) {
        std::size_t length = FLines.RowLength(r);
        if (length > FLongestRow) {
            FLongestRow = length;
            FLongestRowIndex = r;
            longer = true;
        }
    }
    FScannedRows = FLines.RowCount();
    if (longer)
        FContentWidth = -1;
}

void TMemo::ScanAllRows() {
    // Rows may have become shorter: the longest is sought afresh.
    FLongestRow = 0;
    FLongestRowIndex = 0;
    ScanRows(0);
}

void TMemo::RowsChanged(TMemoChange change, int firstRow) {
    std::size_t size = FLines.TextRef().size();
    switch (change) {
    case TMemoChange::Replaced:
        FAnchor = FCaret = 0;
        ScanAllRows();
        UpdateScrollBars();
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
        break;
    case TMemoChange::Appended:
        // Rows before firstRow are as they were, so the longest so far still holds.
        ScanRows(std::min(firstRow, FScannedRows));
        UpdateScrollBars();
        // The caret goes to the end of what was added, and the newest line comes into view.
        FAnchor = FCaret = size;
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        break;
    case TMemoChange::Edited:
        FAnchor = std::min(FAnchor, size);
        FCaret = std::min(FCaret, size);
        ClampCaret();
        ScanAllRows();
        UpdateScrollBars();
        break;
    }
    viewport()->update();
}

void TMemo::UpdateScrollBars() {
    int rows = FLines.RowCount();
    int inView = RowsInView();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, rows - inView));
    vertical->setPageStep(inView);
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    int width = viewport()->width();
    horizontal->setRange(0, std::max(0, ContentWidth() - width));
    horizontal->setPageStep(std::max(1, width));
    horizontal->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
}

int TMemo::ColumnX(StringView row, std::size_t column) const {
    return fontMetrics().horizontalAdvance(ToQString(row.substr(0, column)));
}

void TMemo::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int height = RowHeight();
    const int top = TopRow();
    const int offset = horizontalScrollBar()->value();
    const int x0 = Margin - offset;
    const QRect area = event->rect();
    const int viewWidth = viewport()->width();
    // Characters beyond this many cannot reach the right edge.
    const auto visibleChars =
        static_cast<std::size_t>((offset + viewWidth) / NarrowestAdvance(metrics) + 2);
    const int first = top + std::max(0, area.top()) / height;
    const int last = std::min(FLines.RowCount() - 1, top + area.bottom() / height);
    const bool showSelection = hasFocus() && SelLength() > 0;
    const std::size_t selStart = SelStart(), selEnd = SelStart() + SelLength();
    const QPalette& colours = palette();

    painter.setPen(colours.color(QPalette::Text));
    for (int r = first; r <= last; ++r) {
        const int y = (r - top) * height;
        const StringView row = FLines.Row(r);
        const std::size_t rowStart = FLines.RowStart(r);
        const std::size_t shown = std::min(row.size(), visibleChars);
        const QString text = ToQString(row.substr(0, shown));
        const std::size_t rowEnd = rowStart + row.size();
        if (showSelection && selStart <= rowEnd && selEnd > rowStart &&
            !(selStart == rowEnd && selEnd == rowEnd)) {
            std::size_t from = std::max(selStart, rowStart) - rowStart;
            std::size_t to = std::min(selEnd, rowEnd) - rowStart;
            int left = x0 + (from > shown ? viewWidth + offset : ColumnX(row, from));
            int right = x0 + (to > shown ? viewWidth + offset : ColumnX(row, to));
            // A selected line break shows as a blank's width.
            if (selEnd > rowEnd && r + 1 < FLines.RowCount())
                right += metrics.horizontalAdvance(QLatin1Char(' '));
            QRect band(left, y, std::max(0, right - left), height);
            painter.fillRect(band, colours.color(QPalette::Highlight));
            painter.drawText(x0, y + FCell.Ascent, text);
            painter.save();
            painter.setClipRect(band);
            painter.setPen(colours.color(QPalette::HighlightedText));
            painter.drawText(x0, y + FCell.Ascent, text);
            painter.restore();
        } else {
            painter.drawText(x0, y + FCell.Ascent, text);
        }
    }
    if (hasFocus() && FCaretOn) {
        const QRect caret = CaretRect();
        if (caret.intersects(area))
            painter.fillRect(caret, colours.color(QPalette::Text));
    }
}

QRect TMemo::CaretRect() const {
    const int row = FLines.RowOfOffset(FCaret);
    const int y = (row - TopRow()) * RowHeight();
    if (y < 0 || y >= viewport()->height())
        return {};
    const int width = std::max(1, style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this));
    const int x = Margin - horizontalScrollBar()->value() + CaretX();
    return QRect(x, y, width, RowHeight());
}

int TMemo::CaretX() const {
    const int row = FLines.RowOfOffset(FCaret);
    return ColumnX(FLines.Row(row), FCaret - FLines.RowStart(row));
}

void TMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FCell = TextCell(font());
        FContentWidth = -1;
        UpdateScrollBars();
        viewport()->update();
    }
}

std::size_t TMemo::OffsetAt(QPoint point) const {
    int row = TopRow() + (point.y() < 0 ? -1 : point.y() / RowHeight());
    row = std::clamp(row, 0, FLines.RowCount() - 1);
    return ColumnAt(row, point.x() + horizontalScrollBar()->value() - Margin);
}

std::size_t TMemo::ColumnAt(int row, int x) const {
    // Only the characters left of x are measured.
    const StringView text = FLines.Row(row);
    const std::size_t start = FLines.RowStart(row);
    const QFontMetrics metrics = fontMetrics();
    int reached = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int advance = metrics.horizontalAdvance(QChar(text[i]));
        if (x < reached + advance / 2)
            return start + i;
        reached += advance;
    }
    return start + text.size();
}

std::size_t TMemo::RowEnd(int row) const {
    return FLines.RowStart(row) + FLines.RowLength(row);
}

void TMemo::SetCaret(std::size_t offset, bool extend) {
    FCaret = std::min(offset, FLines.TextRef().size());
    if (!extend)
        FAnchor = FCaret;
    FPreferredX = -1;
    RestartBlink();
}

void TMemo::ClampCaret() {
    // A caret left between the carriage return and the line feed goes before the break.
    const int row = FLines.RowOfOffset(FCaret);
    FCaret = std::min(FCaret, RowEnd(row));
    FAnchor = std::min(FAnchor, RowEnd(FLines.RowOfOffset(FAnchor)));
}

void TMemo::ScrollToCaret() {
    int row = FLines.RowOfOffset(FCaret);
    QScrollBar* vertical = verticalScrollBar();
    if (row < vertical->value())
        vertical->setValue(row);
    else if (row >= vertical->value() + RowsInView())
        vertical->setValue(row - RowsInView() + 1);
    // Sideways, the caret comes into view with a quarter of the view to spare.
    QScrollBar* horizontal = horizontalScrollBar();
    const int x = CaretX() + Margin;
    const int width = viewport()->width();
    if (x < horizontal->value())
        horizontal->setValue(x - width / 4);
    else if (x >= horizontal->value() + width - Margin)
        horizontal->setValue(x - width + width / 4);
}

void TMemo::RestartBlink() {
    FCaretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        FBlink.start(flash / 2, this);
    else
        FBlink.stop();
    viewport()->update();
}

void TMemo::timerEvent(QTimerEvent* event) {
    if (event->timerId() != FBlink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    FCaretOn = !FCaretOn;
    viewport()->update(CaretRect());
}

std::size_t TMemo::WordEdge(std::size_t from, bool forward) const {
    // Within the caret's row: forward past the word and the blanks after it, backward
    // past the blanks and the word before. At a row's edge the caret changes rows.
    const String& text = FLines.TextRef();
    const int row = FLines.RowOfOffset(from);
    const std::size_t start = FLines.RowStart(row), end = RowEnd(row);
    std::size_t at = from;
    if (forward) {
        if (at == end)
            return row + 1 < FLines.RowCount() ? FLines.RowStart(row + 1) : end;
        if (IsWordChar(text[at]))
            while (at < end && IsWordChar(text[at]))
                ++at;
        else if (!QChar(text[at]).isSpace())
            ++at;
        while (at < end && QChar(text[at]).isSpace())
            ++at;
        return at;
    }
    if (at == start)
        return row > 0 ? RowEnd(row - 1) : start;
    while (at > start && QChar(text[at - 1]).isSpace())
        --at;
    if (at > start && IsWordChar(text[at - 1])) {
        while (at > start && IsWordChar(text[at - 1]))
            --at;
    } else if (at > start) {
        --at;
    }
    return at;
}

std::size_t TMemo::MoveTarget(TMove move, bool extend) {
    const String& text = FLines.TextRef();
    const int row = FLines.RowOfOffset(FCaret);
    const int lastRow = FLines.RowCount() - 1;
    const std::size_t start = FLines.RowStart(row), end = RowEnd(row);
    auto onRow = [&](int target) {
        if (FPreferredX < 0)
            FPreferredX = CaretX();
        return ColumnAt(std::clamp(target, 0, lastRow), FPreferredX);
    };
    switch (move) {
    case TMove::PreviousChar:
        // Without Shift, a selection collapses to its start.
        if (!extend && SelLength() > 0)
            return SelStart();
        if (FCaret == start)
            return row > 0 ? RowEnd(row - 1) : start;
        // A pair of surrogates is one character.
        if (FCaret - 1 > start && QChar::isLowSurrogate(text[FCaret - 1]) &&
            QChar::isHighSurrogate(text[FCaret - 2]))
            return FCaret - 2;
        return FCaret - 1;
    case TMove::NextChar:
        if (!extend && SelLength() > 0)
            return SelStart() + SelLength();
        if (FCaret == end)
            return row < lastRow ? FLines.RowStart(row + 1) : end;
        if (FCaret + 1 < end && QChar::isHighSurrogate(text[FCaret]) &&
            QChar::isLowSurrogate(text[FCaret + 1]))
            return FCaret + 2;
        return FCaret + 1;
    case TMove::PreviousWord:
        return WordEdge(FCaret, false);
    case TMove::NextWord:
        return WordEdge(FCaret, true);
    case TMove::LineStart:
        return start;
    case TMove::LineEnd:
        return end;
    case TMove::PreviousLine:
        return row == 0 ? FCaret : onRow(row - 1);
    case TMove::NextLine:
        return row == lastRow ? FCaret : onRow(row + 1);
    case TMove::PreviousPage:
    case TMove::NextPage: {
        // The view scrolls by the page the caret moves, so the caret keeps its place on
        // the screen where it can.
        const int page = move == TMove::NextPage ? RowsInView() : -RowsInView();
        verticalScrollBar()->setValue(TopRow() + page);
        return onRow(row + page);
    }
    case TMove::DocumentStart:
        return 0;
    case TMove::DocumentEnd:
        return text.size();
    }
    return FCaret;
}

bool TMemo::MoveCaret(QKeyEvent* event) {
    struct Key {
        QKeySequence::StandardKey Move, Select;
        TMove Target;
        bool KeepsX;
    };
    static const Key keys[] = {
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, TMove::PreviousChar,
         false},
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, TMove::NextChar, false},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, TMove::PreviousWord,
         false},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, TMove::NextWord, false},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, TMove::LineStart, false},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, TMove::LineEnd, false},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, TMove::PreviousLine,
         true},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, TMove::NextLine, true},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, TMove::PreviousPage,
         true},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, TMove::NextPage, true},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         TMove::DocumentStart, false},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, TMove::DocumentEnd,
         false},
    };
    for (const Key& key : keys) {
        const bool extend = event->matches(key.Select);
        if (!extend && !event->matches(key.Move))
            continue;
        // Moving up and down keeps the x where the caret started, across short rows.
        const std::size_t target = MoveTarget(key.Target, extend);
        const int preferredX = key.KeepsX ? FPreferredX : -1;
        SetCaret(target, extend);
        FPreferredX = preferredX;
        ScrollToCaret();
        return true;
    }
    return false;
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        CopyTo(QClipboard::Selection);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        event->accept();
        return;
    }
    if (MoveCaret(event)) {
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            CopyTo(QClipboard::Selection);
        event->accept();
        return;
    }
    // Nothing else is taken: the text cannot be changed.
    QAbstractScrollArea::keyPressEvent(event);
}

void TMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(MenuText(CopyCaption(), QKeySequence::Copy));
    copy->setEnabled(SelLength() > 0);
    connect(copy, &QAction::triggered, this, [this] { CopyToClipboard(); });
    menu.addSeparator();
    QAction* all = menu.addAction(MenuText(SelectAllCaption(), QKeySequence::SelectAll));
    all->setEnabled(SelLength() < FLines.TextRef().size());
    connect(all, &QAction::triggered, this, [this] {
        SelectAll();
        CopyTo(QClipboard::Selection);
    });
    menu.exec(event->globalPos());
    event->accept();
}

bool TMemo::event(QEvent* event) {
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint) {
        // The frame of the single-line edits, which shows the focus as theirs does.
        QPainter painter(this);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = frameRect();
        frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
        frame.midLineWidth = 0;
        frame.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &painter, this);
    }
    return handled;
}

void TMemo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    SetCaret(OffsetAt(event->position().toPoint()), event->modifiers().testFlag(Qt::ShiftModifier));
    event->accept();
}

void TMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    QPoint at = event->position().toPoint();
    // Dragging past an edge scrolls that way.
    QScrollBar* vertical = verticalScrollBar();
    if (at.y() < 0)
        vertical->setValue(vertical->value() - 1);
    else if (at.y() > viewport()->height())
        vertical->setValue(vertical->value() + 1);
    QScrollBar* horizontal = horizontalScrollBar();
    if (at.x() < 0)
        horizontal->setValue(horizontal->value() - horizontal->singleStep());
    else if (at.x() > viewport()->width())
        horizontal->setValue(horizontal->value() + horizontal->singleStep());
    SetCaret(OffsetAt(at), true);
    event->accept();
}

void TMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    // The word under the pointer.
    const String& text = FLines.TextRef();
    std::size_t at = OffsetAt(event->position().toPoint());
    std::size_t from = at, to = at;
    while (from > 0 && IsWordChar(text[from - 1]))
        --from;
    while (to < text.size() && IsWordChar(text[to]))
        ++to;
    FAnchor = from;
    SetCaret(to, true);
    CopyTo(QClipboard::Selection);
    event->accept();
}

void TMemo::mouseReleaseEvent(QMouseEvent* event) {
    // A selection made with the mouse becomes the primary selection, as in the edits.
    if (event->button() == Qt::LeftButton)
        CopyTo(QClipboard::Selection);
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    update();
}

void TMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    FBlink.stop();
    viewport()->update();
    update();
}

} // namespace ortavo
