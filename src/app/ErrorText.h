// The text of the start-up failure box.
#pragma once

#include "base/Exception.h"

#include <cstdint>

namespace ortavo {

// "Exception %s in module %s at %p." CR LF, the message, "." unless it is empty or ends
// with one, CR LF.
String StartupFailureText(const Exception& E, StringView module, std::uintptr_t address);

} // namespace ortavo
