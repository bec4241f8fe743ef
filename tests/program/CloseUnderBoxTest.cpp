// The window manager's close request while a run's box is up: the toolkit drops it for a
// window under a modal box, so the window takes it from the X11 events and closes once the
// run is over. Runs on the xcb platform only (CTest starts it under Xvfb).
#include "UPrincipal.h"
#include "app/NoticeBox.h"

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace ortavo;

namespace {

struct TCookie {
    unsigned int Sequence;
};
struct TAtomReply {
    std::uint8_t ResponseType, Pad;
    std::uint16_t Sequence;
    std::uint32_t Length, Atom;
};
struct TClientMessage {
    std::uint8_t ResponseType, Format;
    std::uint16_t Sequence;
    std::uint32_t Window, Type, Data32[5];
};

// Sends the window the client message a window manager sends when its close box is hit.
void SendCloseRequest(QWidget& window) {
    void* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(xcb, nullptr);
    auto intern = reinterpret_cast<TCookie (*)(void*, std::uint8_t, std::uint16_t, const char*)>(
        dlsym(xcb, "xcb_intern_atom"));
    auto reply = reinterpret_cast<TAtomReply* (*)(void*, TCookie, void**)>(
        dlsym(xcb, "xcb_intern_atom_reply"));
    auto send = reinterpret_cast<TCookie (*)(void*, std::uint8_t, std::uint32_t, std::uint32_t,
                                             const char*)>(dlsym(xcb, "xcb_send_event"));
    auto flush = reinterpret_cast<int (*)(void*)>(dlsym(xcb, "xcb_flush"));
    auto atom = [&](const char* name) {
        TAtomReply* answer =
            reply(connection, intern(connection, 0, std::strlen(name), name), nullptr);
        const std::uint32_t value = answer ? answer->Atom : 0;
        std::free(answer);
        return value;
    };
    TClientMessage message{};
    message.ResponseType = 33;
    message.Format = 32;
    message.Window = static_cast<std::uint32_t>(window.winId());
    message.Type = atom("WM_PROTOCOLS");
    message.Data32[0] = atom("WM_DELETE_WINDOW");
    char event[32] = {};
    std::memcpy(event, &message, sizeof message);
    send(connection, 0, message.Window, 0, event);
    flush(connection);
    dlclose(xcb);
}

} // namespace

TEST(CloseUnderBox, TheCloseAskedUnderTheRunsBoxComesWhenTheRunEnds) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform";
    TForm1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.edtBase->SetText(u"/nonexistent/ortavo/base.fdb");
    bool asked = false, stillOpen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = dynamic_cast<TNoticeBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (!asked) {
            SendCloseRequest(form);
            asked = true;
            return;
        }
        // The request has come and gone; the run is not cut short by it.
        stillOpen = form.isVisible();
        poll.stop();
        box->OkButton()->click();
    });
    poll.start(300);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stillOpen);
    QTest::qWait(100);
    EXPECT_FALSE(form.isVisible());
}
