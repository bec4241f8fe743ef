// Title bars of the boxes.
#include "app/BoxWindow.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace ortavo {

Qt::WindowFlags BoxWindowFlags() {
    // CustomizeWindowHint keeps the toolkit from adding the boxes it adds by default.
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

int CaptionWidth(const QString& caption) {
    // The window manager's title font is not known here; title bars commonly draw the
    // caption in a bold face of about the toolkit's title-bar size. Beside it sit the
    // window's icon and its buttons, each about as wide as the bar is high: room for three
    // (some window managers show minimise and maximise whatever a window asks) and the
    // bar's padding.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar =
        std::max(metrics.height(), QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return metrics.horizontalAdvance(caption) + 6 * bar;
}

void SetUpMessageBox(QMessageBox& box) {
    box.setWindowFlags(BoxWindowFlags());
    for (QAbstractButton* button : box.buttons())
        button->setIcon(QIcon());
    // The box sizes itself to its layout's least width: a blank as wide as the caption
    // needs, across the whole layout, keeps the caption whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        const int width = CaptionWidth(box.windowTitle()) - margins.left() - margins.right();
        grid->addItem(new QSpacerItem(std::max(0, width), 0, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    }
}

} // namespace ortavo
