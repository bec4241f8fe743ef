// Clipboard writing.
#include "app/Clipboard.h"

#include "base/Format.h"
#include "widgets/QtText.h"

#include <QClipboard>
#include <QGuiApplication>

namespace ortavo {

namespace {

String ToolkitWriter(const String& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return u"No clipboard is available";
    QString value = ToQString(text);
    clipboard->setText(value);
    // The clipboard tells no error; a text that does not read back was not taken.
    if (clipboard->text() != value)
        return u"The clipboard did not take the text";
    return {};
}

TClipboardWriter& Writer() {
    static TClipboardWriter writer;
    return writer;
}

} // namespace

TClipboardWriter SetClipboardWriter(TClipboardWriter writer) {
    TClipboardWriter previous = std::move(Writer());
    Writer() = std::move(writer);
    return previous;
}

void SetClipboardText(const String& text) {
    String error = Writer() ? Writer()(text) : ToolkitWriter(text);
    if (!error.empty())
        throw EClipboardException(Format(u"Cannot open clipboard: %s", {error}));
}

} // namespace ortavo
