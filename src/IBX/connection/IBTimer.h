// TIBTimer, the idle timer of connections and transactions, and the timer service through
// which the application lends it a platform timer.
#pragma once

#include "base/Component.h"
#include "base/Exception.h"

#include <functional>
#include <memory>

namespace ortavo {

// Out of a platform resource (a timer, a handle).
ORTAVO_EXCEPTION_CLASS(EOutOfResources, Exception);

// One armed platform timer; destroying it disarms it.
class ITimerHandle {
public:
    virtual ~ITimerHandle() = default;
};

// The platform's timers, installed by the application. A service calls the tick function
// every interval on the user-interface thread until the handle is destroyed; it yields
// null when it has no timer to give.
class ITimerService {
public:
    virtual ~ITimerService() = default;
    virtual std::unique_ptr<ITimerHandle> Arm(unsigned intervalMs, std::function<void()> tick) = 0;
};

// The installed service, or null (the default: no timer can be armed). The service is not
// owned and must outlive every armed timer.
ITimerService* TimerService() noexcept;
void SetTimerService(ITimerService* service) noexcept;

// A periodic timer. It runs while Interval is not 0, Enabled is true and OnTimer is
// assigned; any change of the three re-arms it. An exception from OnTimer goes to the
// application's exception handler (ApplicationHandleException).
class TIBTimer : public TComponent {
public:
    using TNotifyEvent = std::function<void(TIBTimer& sender)>;

    explicit TIBTimer(TComponent* owner = nullptr);
    ~TIBTimer() override;

    unsigned Interval() const noexcept { return FInterval; }
    // Raise EOutOfResources "Not enough timers available" when the timer should run and no
    // platform timer can be had; the value is kept and the timer stays disarmed.
    void SetInterval(unsigned value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    const TNotifyEvent& OnTimer() const noexcept { return FOnTimer; }
    void SetOnTimer(TNotifyEvent value);

    bool Armed() const noexcept { return FPlatformTimer != nullptr; }

private:
    void UpdateTimer();
    void Tick();

    unsigned FInterval = 1000;
    bool FEnabled = true;
    TNotifyEvent FOnTimer;
    std::unique_ptr<ITimerHandle> FPlatformTimer;
};

// The idle timer of a connection or transaction: 0 frees it; a positive interval creates
// it (owned by owner) if needed and arms it to call onTick. A negative interval raises
// the client error for a negative timeout; without a platform timer the timer
// is freed again and EOutOfResources passes on.
void SetIdleTimerInterval(TIBTimer*& timer, TComponent* owner, int milliseconds,
                          std::function<void()> onTick);
inline int IdleTimerInterval(const TIBTimer* timer) noexcept {
    return timer ? static_cast<int>(timer->Interval()) : 0;
}

// Where exceptions from timer ticks go: the application installs its handler (the error
// box); without one they are dropped.
using TExceptionHandler = std::function<void(const std::exception& error)>;
void SetApplicationExceptionHandler(TExceptionHandler handler);
void ApplicationHandleException(const std::exception& error) noexcept;

} // namespace ortavo
