// The texts of the error box and of the start-up failure box, and the bridge from any
// caught exception to the system's Exception.
#pragma once

#include "base/Exception.h"

#include <cstdint>
#include <exception>
#include <functional>

namespace ortavo {

ORTAVO_EXCEPTION_CLASS(EOutOfMemory, Exception);

// "Exception %s in module %s at %p." CR LF, the message, "." unless it is empty or ends
// with one, CR LF.
String StartupFailureText(const Exception& E, StringView module, std::uintptr_t address);

// Calls use with the exception held by error; what is not the system's own is wrapped in
// an Exception with its text (std::bad_alloc becomes EOutOfMemory "Out of memory").
void VisitException(std::exception_ptr error, const std::function<void(const Exception&)>& use);

} // namespace ortavo
