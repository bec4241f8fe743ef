// Keeping a busy window painted and deaf.
#include "app/BusyWindow.h"

#include "IBX/client/IBBlockingCall.h"
#include "app/CloseRequestWatch.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

#include <exception>
#include <thread>

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

TBusyWindow::TBusyWindow(QWidget& window, std::initializer_list<QWidget*> inactive)
    : FWindow(&window), FFocus(QApplication::focusWidget()) {
    FInactive.reserve(inactive.size());
    // A close asked for under one of the run's boxes never reaches the filter below.
    FCloseWatch = std::make_unique<TCloseRequestWatch>(window, [this] { AskClose(); });
    FHadCursor = window.testAttribute(Qt::WA_SetCursor);
    FCursor = window.cursor();
    // A failure part way leaves the window as it was; the runner, which the whole process
    // sees, is lent last, once nothing else can fail.
    try {
        qApp->installEventFilter(this);
        window.setCursor(Qt::WaitCursor);
        for (QWidget* control : inactive) {
            FInactive.push_back({control, control->isEnabled()});
            control->setEnabled(false);
        }
        FPreviousRunner = SetBlockingCallRunner(
            [this](const std::function<void()>& call) { RunOffThread(call); });
    } catch (...) {
        Restore();
        throw;
    }
    FSinceRepaint.start();
}

TBusyWindow::~TBusyWindow() {
    SetBlockingCallRunner(std::move(FPreviousRunner));
    Restore();
    if (FWindow && FCloseAsked)
        QMetaObject::invokeMethod(FWindow.data(), &QWidget::close, Qt::QueuedConnection);
}

void TBusyWindow::Restore() {
    qApp->removeEventFilter(this);
    for (const TInactive& inactive : FInactive)
        if (inactive.Control)
            inactive.Control->setEnabled(inactive.WasEnabled);
    if (FWindow) {
        if (FHadCursor)
            FWindow->setCursor(FCursor);
        else
            FWindow->unsetCursor();
    }
    // The control that had the focus before its button went inactive gets it back.
    if (FFocus && FFocus->isEnabled() && FWindow && FFocus->window() == FWindow.data())
        FFocus->setFocus(Qt::OtherFocusReason);
}

void TBusyWindow::Pump() {
    if (FSinceRepaint.elapsed() < RepaintIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    FSinceRepaint.restart();
}

void TBusyWindow::RunOffThread(const std::function<void()>& call) {
    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
        // Queued, so that the loop ends even when the call ends before it starts.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Paint, expose and timers go on; input to the window meets the filter and is dropped.
    loop.exec(QEventLoop::AllEvents);
    worker.join();
    FSinceRepaint.restart();
    if (error)
        std::rethrow_exception(error);
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
