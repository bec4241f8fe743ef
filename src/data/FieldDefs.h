// TFieldDef and TFieldDefs: what a dataset knows of its columns before it has fields.
#pragma once

#include "base/String.h"
#include "data/FieldType.h"

#include <vector>

namespace ortavo {

struct TFieldDef {
    String Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    // Numbered from 1, the position of the result column.
    int FieldNo = 0;
    bool Required = false;
    bool ReadOnly = false;
    // A fixed-width text column (CHAR).
    bool FixedChar = false;
    // Computed by the server from other columns.
    bool InternalCalcField = false;
};

class TFieldDefs {
public:
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    const TFieldDef& Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    TFieldDef& Items(int index) { return FItems.at(static_cast<std::size_t>(index)); }
    TFieldDef& Add(TFieldDef def) { return FItems.emplace_back(std::move(def)); }
    void Clear() noexcept { FItems.clear(); }
    // Position of the first definition of that name (case-insensitive); −1 when none.
    int IndexOf(StringView name) const;

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TFieldDef> FItems;
};

} // namespace ortavo
