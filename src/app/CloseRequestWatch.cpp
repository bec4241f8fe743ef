// The X11 close request (a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW), read
// from the toolkit's native events. The connection's library is the one the toolkit has
// loaded; nothing of it is linked here.
#include "app/CloseRequestWatch.h"
#include "app/XcbLibrary.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

namespace ortavo {

TCloseRequestWatch::TCloseRequestWatch(QWidget& window, std::function<void()> asked)
    : FWindow(&window), FAsked(std::move(asked)) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    const xcb::TLibrary xcb;
    FProtocols = xcb.Atom(x11->connection(), "WM_PROTOCOLS", true);
    FDeleteWindow = xcb.Atom(x11->connection(), "WM_DELETE_WINDOW", true);
    if (FProtocols && FDeleteWindow)
        QCoreApplication::instance()->installNativeEventFilter(this);
}

TCloseRequestWatch::~TCloseRequestWatch() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TCloseRequestWatch::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t" || !FWindow ||
        !FWindow->testAttribute(Qt::WA_WState_Created))
        return false;
    const auto* event = static_cast<const xcb::TClientMessage*>(message);
    if ((event->ResponseType & 0x7F) != xcb::ClientMessageCode || event->Format != 32 ||
        event->Type != FProtocols || event->Data32[0] != FDeleteWindow ||
        event->Window != static_cast<std::uint32_t>(FWindow->winId()))
        return false;
    FAsked();
    // The toolkit would drop it under a box anyway; when nothing blocks the window the
    // close event follows and meets the busy window's filter as well.
    return false;
}

} // namespace ortavo
