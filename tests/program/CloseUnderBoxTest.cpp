// The window manager's close request while a run's box is up: the toolkit drops it for a
// window under a modal box, so the window takes it from the X11 events and closes once the
// run is over. Runs on the xcb platform only (CTest starts it under Xvfb).
#include "UPrincipal.h"
#include "app/NoticeBox.h"
#include "app/XcbLibrary.h"

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>

using namespace ortavo;

namespace {

// Sends the window the client message a window manager sends when its close box is hit.
void SendCloseRequest(QWidget& window) {
    void* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb::TLibrary xcb;
    ASSERT_TRUE(xcb.Loaded());
    xcb::TClientMessage message{};
    message.ResponseType = xcb::ClientMessageCode;
    message.Format = 32;
    message.Window = static_cast<std::uint32_t>(window.winId());
    message.Type = xcb.Atom(connection, "WM_PROTOCOLS", false);
    message.Data32[0] = xcb.Atom(connection, "WM_DELETE_WINDOW", false);
    ASSERT_TRUE(xcb.Send(connection, message));
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000));
}
