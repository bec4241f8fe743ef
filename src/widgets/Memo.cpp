// The read-only multi-line view: painting, scrolling, selection and copy.
#include "widgets/Memo.h"

#include "widgets/QtText.h"

#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

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

} // namespace

TMemo::TMemo(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
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
    viewport()->update();
}

void TMemo::SelectAll() {
    Select(0, FLines.TextRef().size());
}

void TMemo::CopyToClipboard() const {
    if (SelLength() == 0)
        return;
    StringView text = StringView(FLines.TextRef()).substr(SelStart(), SelLength());
    QGuiApplication::clipboard()->setText(ToQString(text));
}

int TMemo::RowHeight() const {
    return std::max(1, fontMetrics().height());
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
        // The newest line comes into view, as the caret goes to the end of what was added.
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        break;
    case TMemoChange::Edited:
        FAnchor = std::min(FAnchor, size);
        FCaret = std::min(FCaret, size);
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
            painter.drawText(x0, y + metrics.ascent(), text);
            painter.save();
            painter.setClipRect(band);
            painter.setPen(colours.color(QPalette::HighlightedText));
            painter.drawText(x0, y + metrics.ascent(), text);
            painter.restore();
        } else {
            painter.drawText(x0, y + metrics.ascent(), text);
        }
    }
}

void TMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FContentWidth = -1;
        UpdateScrollBars();
        viewport()->update();
    }
}

std::size_t TMemo::OffsetAt(QPoint point) const {
    const int rows = FLines.RowCount();
    int row = TopRow() + (point.y() < 0 ? -1 : point.y() / RowHeight());
    row = std::clamp(row, 0, rows - 1);
    const StringView text = FLines.Row(row);
    const std::size_t start = FLines.RowStart(row);
    const int x = point.x() + horizontalScrollBar()->value() - Margin;
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

void TMemo::SetCaret(std::size_t offset, bool extend) {
    FCaret = std::min(offset, FLines.TextRef().size());
    if (!extend)
        FAnchor = FCaret;
    viewport()->update();
}

void TMemo::ScrollToCaret() {
    int row = FLines.RowOfOffset(FCaret);
    QScrollBar* vertical = verticalScrollBar();
    if (row < vertical->value())
        vertical->setValue(row);
    else if (row >= vertical->value() + RowsInView())
        vertical->setValue(row - RowsInView() + 1);
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        SetCaret(0, false);
        ScrollToCaret();
        horizontalScrollBar()->setValue(0);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        SetCaret(FLines.TextRef().size(), false);
        ScrollToCaret();
        event->accept();
        return;
    }
    // Arrows and page keys scroll the view.
    QAbstractScrollArea::keyPressEvent(event);
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
    event->accept();
}

void TMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace ortavo
