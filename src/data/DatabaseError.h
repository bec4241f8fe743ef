// The dataset layer's failure and the way datasets, fields and parameter lists raise it.
#pragma once

#include "base/Exception.h"

#include <initializer_list>

namespace ortavo {

class TComponent;
class FormatArg;

// The data layer's database failure; the database layer's family derives from it.
ORTAVO_EXCEPTION_CLASS(EDatabaseError, Exception);

// Raises EDatabaseError with the message, prefixed by the component's name and ": " when
// the component has a name.
[[noreturn]] void DatabaseError(const String& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(StringView pattern, std::initializer_list<FormatArg> args,
                                   const TComponent* component = nullptr);

} // namespace ortavo
