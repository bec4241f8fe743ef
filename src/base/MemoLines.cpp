// The memo view's line list.
#include "base/MemoLines.h"

#include "base/Exception.h"

namespace ortavo {

String NormaliseLineBreaks(String&& text) {
    // Most files already use CR LF throughout: then the text is kept as it is.
    std::size_t extra = 0;
    bool clean = true;
    for (std::size_t i = 0, n = text.size(); i < n; ++i) {
        char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
            else
                clean = false, ++extra;
        } else if (c == u'\n') {
            clean = false, ++extra;
        }
    }
    if (clean)
        return std::move(text);
    String out;
    out.reserve(text.size() + extra);
    for (std::size_t i = 0, n = text.size(); i < n; ++i) {
        char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

TMemoLines::TMemoLines() {
    Reindex();
}

void TMemoLines::Reindex() {
    FStarts.clear();
    FStarts.push_back(0);
    const char16_t* p = FText.data();
    for (std::size_t i = 0, n = FText.size(); i < n; ++i) {
        // The text holds CR LF breaks only; a break ends at its LF.
        if (p[i] == u'\n')
            FStarts.push_back(static_cast<std::uint32_t>(i + 1));
    }
}

std::size_t TMemoLines::RowEnd(std::size_t row) const {
    if (row + 1 < FStarts.size())
        return FStarts[row + 1] - 2;
    return FText.size();
}

int TMemoLines::Count() const {
    std::size_t rows = FStarts.size();
    return static_cast<int>(FStarts.back() == FText.size() ? rows - 1 : rows);
}

StringView TMemoLines::Row(int row) const {
    auto r = static_cast<std::size_t>(row);
    std::size_t start = FStarts[r];
    return StringView(FText).substr(start, RowEnd(r) - start);
}

StringView TMemoLines::GetView(int index) const {
    if (index < 0 || index >= Count())
        IndexError(index);
    return Row(index).substr(0, MaxLineRead);
}

String TMemoLines::Get(int index) const {
    return String(GetView(index));
}

void TMemoLines::CheckFits(std::size_t characters) const {
    if (characters > FCapacity)
        throw EInvalidOperation(u"Text exceeds memo capacity");
}

void TMemoLines::Replace(String&& normalised) {
    CheckFits(normalised.size());
    Changing();
    FText = std::move(normalised);
    Reindex();
    Changed();
}

void TMemoLines::SetText(StringView text) {
    SetText(String(text));
}

void TMemoLines::SetText(String&& text) {
    String normalised = NormaliseLineBreaks(std::move(text));
    if (normalised == FText)
        return;
    Replace(std::move(normalised));
}

void TMemoLines::Insert(int index, const String& line) {
    int count = Count();
    if (index < 0 || index > count)
        IndexError(index);
    String piece = NormaliseLineBreaks(String(line));
    piece += u"\r\n";
    std::size_t at;
    if (index < count || FStarts.back() == FText.size()) {
        at = FStarts[static_cast<std::size_t>(index)];
    } else {
        // The last line has no break yet: it gets one before the new line.
        piece.insert(0, u"\r\n");
        at = FText.size();
    }
    CheckFits(FText.size() + piece.size());
    Changing();
    if (at == FText.size()) {
        // Appending is the common case (the log): index only the new rows; the rows
        // before keep their starts.
        std::size_t oldSize = FText.size();
        FText += piece;
        for (std::size_t i = oldSize; i < FText.size(); ++i)
            if (FText[i] == u'\n')
                FStarts.push_back(static_cast<std::uint32_t>(i + 1));
    } else {
        FText.insert(at, piece);
        Reindex();
    }
    Changed();
}

void TMemoLines::Delete(int index) {
    if (index < 0 || index >= Count())
        IndexError(index);
    auto r = static_cast<std::size_t>(index);
    std::size_t start = FStarts[r];
    std::size_t end = r + 1 < FStarts.size() ? FStarts[r + 1] : FText.size();
    Changing();
    FText.erase(start, end - start);
    Reindex();
    Changed();
}

void TMemoLines::Clear() {
    if (FText.empty())
        return;
    Changing();
    FText.clear();
    Reindex();
    Changed();
}

std::size_t TMemoLines::MemoryUsed() const noexcept {
    return FText.capacity() * sizeof(char16_t) + FStarts.capacity() * sizeof(std::uint32_t);
}

} // namespace ortavo
