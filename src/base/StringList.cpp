// The general line list.
#include "base/StringList.h"

namespace ortavo {

String TStringList::Get(int index) const {
    if (index < 0 || index >= Count())
        IndexError(index);
    return FLines[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const String& line) {
    if (index < 0 || index >= Count())
        IndexError(index);
    Changing();
    FLines[static_cast<std::size_t>(index)] = line;
    Changed();
}

void TStringList::Insert(int index, const String& line) {
    if (index < 0 || index > Count())
        IndexError(index);
    Changing();
    FLines.insert(FLines.begin() + index, line);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count())
        IndexError(index);
    Changing();
    FLines.erase(FLines.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FLines.empty())
        return;
    Changing();
    FLines.clear();
    Changed();
}

} // namespace ortavo
