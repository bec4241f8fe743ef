// TStrings: a list of text lines with change notifications, the shape shared by SQL texts,
// parameter lists and the memo views' lines.
#pragma once

#include "base/String.h"

#include <functional>

namespace ortavo {

class TStrings {
public:
    using TNotifyEvent = std::function<void(TStrings& sender)>;

    virtual ~TStrings() = default;
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    virtual int Count() const = 0;
    // Line index from 0; raises EListError "List index out of bounds (%d)" outside.
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& line);
    virtual void Insert(int index, const String& line) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    int Add(const String& line);

    // Every line followed by CR LF.
    virtual String Text() const;
    // Whether Trim(Text()) is empty, without joining the lines.
    bool IsBlank() const;
    // Splits at CR LF, a lone CR and a lone LF; a final break opens no further line.
    virtual void SetText(StringView text);
    void Assign(const TStrings& source);

    // "name=value" lines.
    String Names(int index) const;
    String ValueFromIndex(int index) const;
    String Values(StringView name) const;
    int IndexOfName(StringView name) const;
    // Case-insensitive, as names and keywords are compared.
    int IndexOf(StringView line) const;

    // Notifications fire once around a batch of changes.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return FUpdateCount; }

    // Called before a change; an exception raised here stops the change.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    // Raise before and after every change; they honour BeginUpdate.
    void Changing();
    void Changed();
    [[noreturn]] static void IndexError(int index);

private:
    int FUpdateCount = 0;
};

// The length of the line break that starts at text[i]: 2 for CR LF, 1 for a lone CR or a
// lone LF, 0 for any other character. Every split and normalisation of line ends goes by it.
inline std::size_t LineBreakAt(StringView text, std::size_t i) noexcept {
    const char16_t c = text[i];
    if (c == u'\n')
        return 1;
    if (c != u'\r')
        return 0;
    return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

// Calls visit(offset, length) for every line break of text, first to last. A break's
// characters are read before it is visited, never after.
template <typename Visit> void ForEachLineBreak(StringView text, Visit&& visit) {
    for (std::size_t i = 0, n = text.size(); i < n;) {
        // CR and LF are below every printable character: one comparison passes the rest.
        const std::size_t length = text[i] > u'\r' ? 0 : LineBreakAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        visit(i, length);
        i += length;
    }
}

// Splits a text into lines by the rule of SetText.
template <typename Sink> void ForEachLine(StringView text, Sink&& sink) {
    std::size_t start = 0;
    ForEachLineBreak(text, [&](std::size_t at, std::size_t length) {
        sink(text.substr(start, at - start));
        start = at + length;
    });
    if (start < text.size())
        sink(text.substr(start));
}

} // namespace ortavo
