// The X11 close request (a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW), read
// from the toolkit's native events. The connection's library is the one the toolkit has
// loaded; nothing of it is linked here.
#include "app/CloseRequestWatch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace ortavo {

namespace {

// The protocol's layouts of the events and replies read here.
struct TClientMessage {
    std::uint8_t ResponseType;
    std::uint8_t Format;
    std::uint16_t Sequence;
    std::uint32_t Window;
    std::uint32_t Type;
    std::uint32_t Data32[5];
};
struct TAtomCookie {
    unsigned int Sequence;
};
struct TAtomReply {
    std::uint8_t ResponseType;
    std::uint8_t Pad;
    std::uint16_t Sequence;
    std::uint32_t Length;
    std::uint32_t Atom;
};
constexpr std::uint8_t ClientMessageCode = 33;

using TInternAtom = TAtomCookie (*)(void*, std::uint8_t, std::uint16_t, const char*);
using TInternAtomReply = TAtomReply* (*)(void*, TAtomCookie, void**);

std::uint32_t Atom(void* connection, const char* name) {
    void* library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return 0;
    auto intern = reinterpret_cast<TInternAtom>(dlsym(library, "xcb_intern_atom"));
    auto reply = reinterpret_cast<TInternAtomReply>(dlsym(library, "xcb_intern_atom_reply"));
    std::uint32_t atom = 0;
    if (intern && reply) {
        TAtomReply* answer = reply(
            connection, intern(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        if (answer) {
            atom = answer->Atom;
            std::free(answer);
        }
    }
    dlclose(library);
    return atom;
}

} // namespace

TCloseRequestWatch::TCloseRequestWatch(QWidget& window, std::function<void()> asked)
    : FWindow(&window), FAsked(std::move(asked)) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    FProtocols = Atom(x11->connection(), "WM_PROTOCOLS");
    FDeleteWindow = Atom(x11->connection(), "WM_DELETE_WINDOW");
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
    const auto* event = static_cast<const TClientMessage*>(message);
    if ((event->ResponseType & 0x7F) != ClientMessageCode || event->Format != 32 ||
        event->Type != FProtocols || event->Data32[0] != FDeleteWindow ||
        event->Window != static_cast<std::uint32_t>(FWindow->winId()))
        return false;
    FAsked();
    // The toolkit would drop it under a box anyway; when nothing blocks the window the
    // close event follows and meets the busy window's filter as well.
    return false;
}

} // namespace ortavo
