// Where an exception escaping an event handler of the controls goes: to the handler the
// application installs, so that the event loop goes on.
#pragma once

#include <QObject>

#include <exception>
#include <functional>

namespace ortavo {

using TEventExceptionHandler = std::function<void(QObject* sender, std::exception_ptr error)>;

// Installs the handler and returns the one it replaces.
TEventExceptionHandler SetEventExceptionHandler(TEventExceptionHandler handler);

// Hands the exception to the installed handler; without one it is written to stderr.
void DispatchEventException(QObject* sender, std::exception_ptr error) noexcept;

// Runs an event handler; what it raises is dispatched instead of leaving through Qt.
template <typename F> void GuardEvent(QObject* sender, F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        DispatchEventException(sender, std::current_exception());
    }
}

} // namespace ortavo
