// The single-line edit.
#include "widgets/Edit.h"

#include "widgets/QtText.h"

#include <QFocusEvent>

#include <limits>

namespace ortavo {

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
    // No length limit of its own.
    setMaxLength(std::numeric_limits<int>::max());
    setAcceptDrops(false);
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
