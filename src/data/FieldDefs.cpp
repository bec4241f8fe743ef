// Finding a field definition by name.
#include "data/FieldDefs.h"

namespace ortavo {

int TFieldDefs::IndexOf(StringView name) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (SameTextFull(FItems[i].Name, name))
            return static_cast<int>(i);
    return -1;
}

} // namespace ortavo
