// Windows threads have no codeset to switch: the client reads a database name as UTF-8 when
// the parameter block carries its UTF-8 name item, which the attach adds for every name
// beyond ASCII.
#include "IBX/client/IBNameCodeset.h"

namespace ortavo {

TUtf8NameScope::TUtf8NameScope() noexcept = default;

TUtf8NameScope::~TUtf8NameScope() = default;

} // namespace ortavo
