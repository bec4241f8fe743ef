// The single-line edit.
#include "widgets/Edit.h"

#include "widgets/QtText.h"
#include "widgets/TextMetrics.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QWidget>

#include <limits>

namespace ortavo {

namespace {

// What the frame and the inner margins add to the text height: an edit 21 pixels high
// around text 13 pixels high in the designed font.
constexpr int FrameAndMargins = 8;

} // namespace

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
    // No length limit of its own.
    setMaxLength(std::numeric_limits<int>::max());
    setAcceptDrops(false);
    AdjustHeight();
}

void TEdit::SetAutoSize(bool value) {
    FAutoSize = value;
    if (value) {
        AdjustHeight();
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
}

void TEdit::AdjustHeight() {
    // A fixed height holds against any geometry the layout sets afterwards.
    if (FAutoSize)
        setFixedHeight(CellHeight(font()) + FrameAndMargins);
}

void TEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustHeight();
}

String TEdit::Text() const {
    return FromQString(text());
}

void TEdit::SetText(const String& text) {
    setText(ToQString(text));
}

void TEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        selectAll();
        break;
    default:
        break;
    }
}

} // namespace ortavo
