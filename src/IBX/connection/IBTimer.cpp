// The idle timer and its platform timer service.
#include "IBX/connection/IBTimer.h"

#include "IBX/client/IB.h"

#include <utility>

namespace ortavo {

namespace {

ITimerService* GTimerService = nullptr;

TExceptionHandler& ExceptionHandler() {
    static TExceptionHandler handler;
    return handler;
}

} // namespace

ITimerService* TimerService() noexcept {
    return GTimerService;
}

void SetTimerService(ITimerService* service) noexcept {
    GTimerService = service;
}

void SetApplicationExceptionHandler(TExceptionHandler handler) {
    ExceptionHandler() = std::move(handler);
}

void ApplicationHandleException(const std::exception& error) noexcept {
    try {
        if (ExceptionHandler())
            ExceptionHandler()(error);
    } catch (...) {
        // The handler is the last stop of a tick's failure; nothing above it could take a
        // second one, so it is dropped.
    }
}

TIBTimer::TIBTimer(TComponent* owner) : TComponent(owner) {}

TIBTimer::~TIBTimer() = default;

void TIBTimer::SetInterval(unsigned value) {
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TIBTimer::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TIBTimer::SetOnTimer(TNotifyEvent value) {
    FOnTimer = std::move(value);
    UpdateTimer();
}

void TIBTimer::UpdateTimer() {
    FPlatformTimer.reset();
    if (FInterval == 0 || !FEnabled || !FOnTimer)
        return;
    if (GTimerService)
        FPlatformTimer = GTimerService->Arm(FInterval, [this] { Tick(); });
    if (!FPlatformTimer)
        throw EOutOfResources(u"Not enough timers available");
}

void TIBTimer::Tick() {
    // A handler may free this timer (IdleTimer 0); it runs from a copy so that nothing of
    // the timer is touched once it returns.
    TNotifyEvent handler = FOnTimer;
    try {
        if (handler)
            handler(*this);
    } catch (const std::exception& error) {
        ApplicationHandleException(error);
    }
}

void SetIdleTimerInterval(TIBTimer*& timer, TComponent* owner, int milliseconds,
                          std::function<void()> onTick) {
    if (milliseconds < 0)
        RaiseClientError(ibxeTimeoutNegative);
    if (milliseconds == 0) {
        delete timer;
        timer = nullptr;
        return;
    }
    if (!timer) {
        timer = new TIBTimer(owner);
        timer->SetEnabled(false);
        timer->SetOnTimer([tick = std::move(onTick)](TIBTimer&) { tick(); });
    }
    try {
        timer->SetInterval(static_cast<unsigned>(milliseconds));
        timer->SetEnabled(true);
    } catch (...) {
        // Without a platform timer there is no idle timer at all.
        delete timer;
        timer = nullptr;
        throw;
    }
}

} // namespace ortavo
