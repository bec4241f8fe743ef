// The embedded browse button.
#include "widgets/EditButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace ortavo {

TsEditButton::TsEditButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
    setCursor(Qt::ArrowCursor);
    setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    setIconSize(QSize(GlyphSize, GlyphSize));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TsEditButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // Flat: a frame only while the pointer is over the button or it is pressed.
    if (isDown() || (underMouse() && isEnabled()))
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
    QIcon::Mode mode = !isEnabled() || FGlyphMode.Grayed ? QIcon::Disabled : QIcon::Normal;
    QPixmap glyph = icon().pixmap(QSize(GlyphSize, GlyphSize), devicePixelRatioF(), mode);
    int shift = isDown() ? 1 : 0;
    QPoint at((width() - GlyphSize) / 2 + shift, (height() - GlyphSize) / 2 + shift);
    painter.setOpacity(1.0 - qBound(0, FGlyphMode.Blend, 100) / 100.0);
    painter.drawPixmap(QRect(at, QSize(GlyphSize, GlyphSize)), glyph);
}

} // namespace ortavo
