// TStringList: the general line list, one text per line.
#pragma once

#include "base/Strings.h"

#include <vector>

namespace ortavo {

class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(StringView text) { SetText(text); }

    int Count() const override { return static_cast<int>(FLines.size()); }
    String Get(int index) const override;
    void Put(int index, const String& line) override;
    void Insert(int index, const String& line) override;
    void Delete(int index) override;
    void Clear() override;

    const std::vector<String>& Lines() const noexcept { return FLines; }

private:
    std::vector<String> FLines;
};

} // namespace ortavo
