// TQtTimerService: lends the database layer's idle timers the toolkit's timers, which tick
// on the user-interface thread.
#pragma once

#include "IBX/connection/IBTimer.h"

namespace ortavo {

class TQtTimerService : public ITimerService {
public:
    // A repeating toolkit timer; what the tick raises goes to the event exception handler.
    std::unique_ptr<ITimerHandle> Arm(unsigned intervalMs, std::function<void()> tick) override;
};

} // namespace ortavo
