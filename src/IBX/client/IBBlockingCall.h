// The seam for client calls that may block for long (the attach can wait for the engine's
// connection timeout). By default they run in place; a front end with a window to keep
// painted lends a runner that runs them on another thread and waits for them meanwhile.
#pragma once

#include <functional>

namespace ortavo {

// Runs call to its end before returning; what call raises it carries over to the caller.
using TBlockingCallRunner = std::function<void(const std::function<void()>& call)>;

// Returns the runner that was lent before; an empty runner restores running in place. The
// calling thread becomes the one the runner serves.
TBlockingCallRunner SetBlockingCallRunner(TBlockingCallRunner runner);
// Runs call through the runner lent, or in place when none is. While a runner is lent, a
// call from another thread than the one that lent it raises EInvalidOperation. The call
// must keep to its own thread's state: the status vector and the locale are per thread.
void RunBlockingCall(const std::function<void()>& call);

} // namespace ortavo
