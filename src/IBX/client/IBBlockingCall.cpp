// Where long client calls run.
#include "IBX/client/IBBlockingCall.h"

#include <mutex>
#include <utility>

namespace ortavo {

namespace {

std::mutex RunnerLock;
TBlockingCallRunner& Runner() {
    static TBlockingCallRunner runner;
    return runner;
}

} // namespace

TBlockingCallRunner SetBlockingCallRunner(TBlockingCallRunner runner) {
    const std::lock_guard lock(RunnerLock);
    return std::exchange(Runner(), std::move(runner));
}

void RunBlockingCall(const std::function<void()>& call) {
    TBlockingCallRunner runner;
    {
        const std::lock_guard lock(RunnerLock);
        runner = Runner();
    }
    if (runner)
        runner(call);
    else
        call();
}

} // namespace ortavo
