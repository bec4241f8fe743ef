// The plain pointer lists in which connections and transactions keep each other and their
// links: lookup by item and by index, and the visit that survives removals.
#pragma once

#include "base/Exception.h"
#include "base/String.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace ortavo {

// The item's index, or -1 when it is not listed.
template <typename T> int IndexOf(const std::vector<T*>& list, const T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// The item at index; EListError outside the list.
template <typename T> T* ItemAt(const std::vector<T*>& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.size()))
        throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
    return list[static_cast<std::size_t>(index)];
}

// Calls action on each item, last first. An action may take any number of items out of the
// list: an index that the list no longer reaches is skipped.
template <typename T, typename F> void ForEachFromLast(const std::vector<T*>& list, F&& action) {
    for (std::size_t i = list.size(); i-- > 0;)
        if (i < list.size())
            action(list[i]);
}

} // namespace ortavo
