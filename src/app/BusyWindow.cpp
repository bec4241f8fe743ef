// Keeping a busy window painted and deaf.
#include "app/BusyWindow.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace ortavo {

namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

TBusyWindow::TBusyWindow(QWidget& window) : FWindow(&window) {
    qApp->installEventFilter(this);
    FSinceRepaint.start();
}

TBusyWindow::~TBusyWindow() {
    qApp->removeEventFilter(this);
    if (FWindow && FCloseAsked)
        QMetaObject::invokeMethod(FWindow.data(), &QWidget::close, Qt::QueuedConnection);
}

void TBusyWindow::Pump() {
    if (FSinceRepaint.elapsed() < RepaintIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FSinceRepaint.restart();
}

bool TBusyWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!FWindow || !widget || widget->window() != FWindow.data())
        return false;
    if (event->type() == QEvent::Close && widget == FWindow.data()) {
        FCloseAsked = true;
        event->ignore();
        return true;
    }
    return IsInput(event->type());
}

} // namespace ortavo
