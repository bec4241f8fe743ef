// Shared behaviour of line lists.
#include "base/Strings.h"

#include "base/Exception.h"

namespace ortavo {

void TStrings::Put(int index, const String& line) {
    BeginUpdate();
    try {
        Delete(index);
        Insert(index, line);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::Add(const String& line) {
    int index = Count();
    Insert(index, line);
    return index;
}

String TStrings::Text() const {
    String out;
    for (int i = 0, n = Count(); i < n; ++i) {
        out += Get(i);
        out += u"\r\n";
    }
    return out;
}

bool TStrings::IsBlank() const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (!ortavo::IsBlank(Get(i)))
            return false;
    return true;
}

void TStrings::SetText(StringView text) {
    BeginUpdate();
    try {
        Clear();
        ForEachLine(text, [this](StringView line) { Add(String(line)); });
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& source) {
    if (&source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0, n = source.Count(); i < n; ++i)
            Add(source.Get(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::Names(int index) const {
    String line = Get(index);
    auto eq = line.find(u'=');
    return eq == String::npos ? String() : line.substr(0, eq);
}

String TStrings::ValueFromIndex(int index) const {
    String line = Get(index);
    auto eq = line.find(u'=');
    return eq == String::npos ? String() : line.substr(eq + 1);
}

int TStrings::IndexOfName(StringView name) const {
    for (int i = 0, n = Count(); i < n; ++i) {
        String line = Get(i);
        auto eq = line.find(u'=');
        if (eq != String::npos && SameText(StringView(line).substr(0, eq), name))
            return i;
    }
    return -1;
}

String TStrings::Values(StringView name) const {
    int i = IndexOfName(name);
    return i < 0 ? String() : ValueFromIndex(i);
}

int TStrings::IndexOf(StringView line) const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (SameText(Get(i), line))
            return i;
    return -1;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0 && OnChanging)
        OnChanging(*this);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (--FUpdateCount == 0 && OnChange)
        OnChange(*this);
}

void TStrings::Changing() {
    if (FUpdateCount == 0 && OnChanging)
        OnChanging(*this);
}

void TStrings::Changed() {
    if (FUpdateCount == 0 && OnChange)
        OnChange(*this);
}

void TStrings::IndexError(int index) {
    throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
}

} // namespace ortavo
