// Sees the window manager's request to close a window even while a modal box blocks the
// window: the toolkit drops that request then, so a busy window would lose it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <cstdint>
#include <functional>

class QWidget;

namespace ortavo {

class TCloseRequestWatch : public QAbstractNativeEventFilter {
public:
    // Calls asked whenever the window manager asks window to close; only on X11, where
    // the request is a client message (elsewhere the watch sees nothing).
    TCloseRequestWatch(QWidget& window, std::function<void()> asked);
    ~TCloseRequestWatch() override;
    TCloseRequestWatch(const TCloseRequestWatch&) = delete;
    TCloseRequestWatch& operator=(const TCloseRequestWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> FWindow;
    std::function<void()> FAsked;
    std::uint32_t FProtocols = 0;
    std::uint32_t FDeleteWindow = 0;
};

} // namespace ortavo
