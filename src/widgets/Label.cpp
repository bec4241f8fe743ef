// The caption label.
#include "widgets/Label.h"

#include "widgets/QtText.h"
#include "widgets/TextMetrics.h"

#include <QEvent>
#include <QFontMetrics>

namespace ortavo {

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
}

String TLabel::Caption() const {
    return FromQString(text());
}

void TLabel::SetCaption(const String& caption) {
    setText(ToQString(caption));
    AdjustBounds();
}

void TLabel::SetAutoSize(bool value) {
    FAutoSize = value;
    AdjustBounds();
}

void TLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize)
        return;
    // The top-left corner stays; the size becomes that of the text in the label's font.
    resize(QFontMetrics(font()).horizontalAdvance(text()), CellHeight(font()));
}

} // namespace ortavo
