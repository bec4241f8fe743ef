// The process-wide handler for exceptions escaping event handlers.
#include "widgets/EventGuard.h"

#include <cstdio>

namespace ortavo {

namespace {

TEventExceptionHandler& Handler() {
    static TEventExceptionHandler handler;
    return handler;
}

} // namespace

TEventExceptionHandler SetEventExceptionHandler(TEventExceptionHandler handler) {
    TEventExceptionHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

void DispatchEventException(QObject* sender, std::exception_ptr error) noexcept {
    try {
        if (Handler()) {
            Handler()(sender, error);
            return;
        }
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Unhandled exception in an event handler: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unhandled exception in an event handler\n");
    }
}

} // namespace ortavo
