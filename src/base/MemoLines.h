// TMemoLines: the line list of a read-only multi-line view. The whole text is held once,
// with CR LF breaks, plus the start of every line, so a file of hundreds of thousands of
// lines costs little more than its UTF-16 text.
#pragma once

#include "base/Strings.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace ortavo {

// How the rows changed, for the view that draws them.
enum class TMemoChange {
    Replaced, // the whole text is new (set, cleared)
    Appended, // rows were added at the end; rows before firstRow are as they were
    Edited    // rows from firstRow on may differ
};

class TMemoLines : public TStrings {
public:
    using TRowsChangedEvent = std::function<void(TMemoChange change, int firstRow)>;

    // Lines are read back cut to this many characters.
    static constexpr std::size_t MaxLineRead = 4096;
    // What a view can hold, in characters.
    static constexpr std::size_t DefaultCapacity = 0x7FFFFFFE;

    TMemoLines();

    // Lines, not counting an empty last line: an empty view has 0, and a text that ends
    // with a line break has as many lines as breaks.
    int Count() const override;
    // Line i without its break, cut to its first 4096 characters.
    String Get(int index) const override;
    StringView GetView(int index) const;
    void Insert(int index, const String& line) override;
    void Delete(int index) override;
    void Clear() override;

    String Text() const override { return FText; }
    // Normalises every break to CR LF; nothing happens when the result equals the text
    // held. Raises EInvalidOperation "Text exceeds memo capacity" when it does not fit.
    void SetText(StringView text) override;
    void SetText(String&& text);
    void SetText(const char16_t* text) { SetText(StringView(text)); }

    // What the view draws: every row of the text, an empty last row included, uncut.
    int RowCount() const noexcept { return static_cast<int>(FStarts.size()); }
    StringView Row(int row) const;
    const String& TextRef() const noexcept { return FText; }

    // Row start offsets into TextRef(); the row that holds a text offset.
    std::size_t RowStart(int row) const noexcept { return FStarts[static_cast<std::size_t>(row)]; }
    int RowOfOffset(std::size_t offset) const noexcept;
    // Characters of a row, its break not counted.
    std::size_t RowLength(int row) const noexcept;

    // Told after every change, also inside BeginUpdate; meant for the view.
    TRowsChangedEvent OnRowsChanged;

    std::size_t Capacity() const noexcept { return FCapacity; }
    void SetCapacity(std::size_t characters) noexcept { FCapacity = characters; }
    // Bytes held by the text and the line index.
    std::size_t MemoryUsed() const noexcept;

private:
    void Replace(String&& normalised);
    void Reindex();
    std::size_t RowEnd(std::size_t row) const;
    void CheckFits(std::size_t characters) const;
    void RowsChanged(TMemoChange change, int firstRow);

    String FText;
    std::vector<std::uint32_t> FStarts;
    std::size_t FCapacity = DefaultCapacity;
};

// Raises EInvalidOperation "Text exceeds memo capacity", the failure of a text that a view
// cannot take; a loader raises it as soon as it knows, before it holds the whole text.
[[noreturn]] void RaiseCapacityError();

// Every CR LF, lone CR and lone LF of text becomes CR LF. Works in place: the text grows
// by one character per lone break and is not copied when its capacity allows.
String NormaliseLineBreaks(String&& text);

} // namespace ortavo
