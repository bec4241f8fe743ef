// Raising database errors with the component's name in front.
#include "data/DatabaseError.h"

#include "base/Component.h"
#include "base/Format.h"

namespace ortavo {

void DatabaseError(const String& message, const TComponent* component) {
    if (component && !component->Name().empty())
        throw EDatabaseError(Format(u"%s: %s", {component->Name(), message}));
    throw EDatabaseError(message);
}

void DatabaseErrorFmt(StringView pattern, std::initializer_list<FormatArg> args,
                      const TComponent* component) {
    DatabaseError(Format(pattern, args), component);
}

} // namespace ortavo
