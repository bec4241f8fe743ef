// The memo view's line list.
#include "base/MemoLines.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ortavo {

namespace {

[[noreturn]] void CapacityError() {
    RaiseCapacityError();
}

} // namespace

String NormaliseLineBreaks(String&& text) {
    // Most files already use CR LF throughout: then the text is kept as it is.
    std::size_t extra = 0;
    ForEachLineBreak(text, [&](std::size_t, std::size_t length) { extra += length == 1; });
    if (extra == 0)
        return std::move(text);
    // Widened in place: the text moves to the end of its grown buffer and is written back
    // from the start. Every lone break written takes one character more than it read, and
    // there are no more of them than the text moved, so writing never overtakes reading.
    const std::size_t n = text.size();
    text.resize(n + extra);
    char16_t* p = text.data();
    std::memmove(p + extra, p, n * sizeof(char16_t));
    const StringView source(p + extra, n);
    std::size_t start = 0, written = 0;
    auto copy = [&](std::size_t end) {
        std::memmove(p + written, source.data() + start, (end - start) * sizeof(char16_t));
        written += end - start;
    };
    ForEachLineBreak(source, [&](std::size_t at, std::size_t length) {
        copy(at);
        p[written++] = u'\r';
        p[written++] = u'\n';
        start = at + length;
    });
    copy(n);
    return std::move(text);
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

std::size_t TMemoLines::RowLength(int row) const noexcept {
    auto r = static_cast<std::size_t>(row);
    return RowEnd(r) - FStarts[r];
}

int TMemoLines::RowOfOffset(std::size_t offset) const noexcept {
    auto it = std::upper_bound(FStarts.begin(), FStarts.end(), offset);
    return static_cast<int>(it - FStarts.begin()) - 1;
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
        CapacityError();
}

void TMemoLines::RowsChanged(TMemoChange change, int firstRow) {
    if (OnRowsChanged)
        OnRowsChanged(change, firstRow);
}

void TMemoLines::Replace(String&& normalised) {
    CheckFits(normalised.size());
    Changing();
    FText = std::move(normalised);
    try {
        Reindex();
    } catch (const std::bad_alloc&) {
        // The view must not keep a text it has no index for.
        FText.clear();
        FText.shrink_to_fit();
        Reindex();
        RowsChanged(TMemoChange::Replaced, 0);
        Changed();
        CapacityError();
    }
    RowsChanged(TMemoChange::Replaced, 0);
    Changed();
}

void TMemoLines::SetText(StringView text) {
    String copy;
    try {
        copy.assign(text);
    } catch (const std::bad_alloc&) {
        CapacityError();
    }
    SetText(std::move(copy));
}

void TMemoLines::SetText(String&& text) {
    String normalised;
    try {
        normalised = NormaliseLineBreaks(std::move(text));
    } catch (const std::bad_alloc&) {
        CapacityError();
    }
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
    const bool appending = at == FText.size();
    const std::size_t oldSize = FText.size(), oldRows = FStarts.size();
    try {
        if (appending) {
            // Appending is the common case (the log): index only the new rows; the rows
            // before keep their starts.
            FText += piece;
            for (std::size_t i = oldSize; i < FText.size(); ++i)
                if (FText[i] == u'\n')
                    FStarts.push_back(static_cast<std::uint32_t>(i + 1));
        } else {
            FText.insert(at, piece);
            Reindex();
        }
    } catch (const std::bad_alloc&) {
        // Back to the text as it was; the index fits in what it held before.
        if (FText.size() != oldSize)
            FText.erase(at, piece.size());
        if (appending)
            FStarts.resize(oldRows);
        else
            Reindex();
        CapacityError();
    }
    // The row the text went onto may have gained its break, so it counts as changed.
    if (appending)
        RowsChanged(TMemoChange::Appended, std::max(0, index - 1));
    else
        RowsChanged(TMemoChange::Edited, index);
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
    RowsChanged(TMemoChange::Edited, index);
    Changed();
}

void TMemoLines::Clear() {
    if (FText.empty())
        return;
    Changing();
    FText.clear();
    Reindex();
    RowsChanged(TMemoChange::Replaced, 0);
    Changed();
}

std::size_t TMemoLines::MemoryUsed() const noexcept {
    return FText.capacity() * sizeof(char16_t) + FStarts.capacity() * sizeof(std::uint32_t);
}

void RaiseCapacityError() {
    throw EInvalidOperation(u"Text exceeds memo capacity");
}

} // namespace ortavo
