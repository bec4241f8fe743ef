// The toolkit's timers for the idle timers.
#include "app/TimerService.h"

#include "widgets/EventGuard.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace ortavo {

namespace {

class TQtTimer : public ITimerHandle {
public:
    TQtTimer(unsigned intervalMs, std::function<void()> tick)
        : FTick(std::move(tick)), FTimer(new QTimer(QCoreApplication::instance())) {
        constexpr unsigned longest = std::numeric_limits<int>::max();
        FTimer->setInterval(static_cast<int>(std::min(intervalMs, longest)));
        // The tick may destroy this handle (an idle timer set to 0): it runs from a copy
        // and touches nothing of the handle afterwards.
        QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] {
            std::function<void()> tick = FTick;
            GuardEvent(nullptr, tick);
        });
        FTimer->start();
    }

    ~TQtTimer() override {
        // Possibly inside the timer's own tick: stopped now, deleted once the tick is over
        // (or with the application object).
        FTimer->disconnect();
        FTimer->stop();
        FTimer->deleteLater();
    }

    TQtTimer(const TQtTimer&) = delete;
    TQtTimer& operator=(const TQtTimer&) = delete;

private:
    std::function<void()> FTick;
    QTimer* FTimer;
};

} // namespace

std::unique_ptr<ITimerHandle> TQtTimerService::Arm(unsigned intervalMs,
                                                   std::function<void()> tick) {
    return std::make_unique<TQtTimer>(intervalMs, std::move(tick));
}

} // namespace ortavo
