// Where long client calls run.
#include "IBX/client/IBBlockingCall.h"

#include "base/Exception.h"

#include <mutex>
#include <thread>
#include <utility>

namespace ortavo {

namespace {

// The runner lent and the thread that lent it: the runner waits on that thread's window,
// so only that thread may hand it calls.
struct TLentRunner {
    TBlockingCallRunner Runner;
    std::thread::id Lender;
};

std::mutex RunnerLock;
TLentRunner& Lent() {
    static TLentRunner lent;
    return lent;
}

} // namespace

TBlockingCallRunner SetBlockingCallRunner(TBlockingCallRunner runner) {
    const std::lock_guard lock(RunnerLock);
    TLentRunner& lent = Lent();
    lent.Lender = runner ? std::this_thread::get_id() : std::thread::id();
    return std::exchange(lent.Runner, std::move(runner));
}

void RunBlockingCall(const std::function<void()>& call) {
    TBlockingCallRunner runner;
    {
        const std::lock_guard lock(RunnerLock);
        const TLentRunner& lent = Lent();
        if (lent.Runner && lent.Lender != std::this_thread::get_id())
            throw EInvalidOperation(u"A long client call was made on a thread other than the "
                                    u"one that lent its runner");
        runner = lent.Runner;
    }
    if (runner)
        runner(call);
    else
        call();
}

} // namespace ortavo
