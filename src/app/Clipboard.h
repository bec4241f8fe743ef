// Putting text on the clipboard, with the failure the notice box reports.
#pragma once

#include "base/Exception.h"

#include <functional>

namespace ortavo {

ORTAVO_EXCEPTION_CLASS(EClipboardException, Exception);

// Puts the text on the clipboard and returns empty, or returns the system's text for the
// error that kept the clipboard from taking it.
using TClipboardWriter = std::function<String(const String& text)>;

// Installs a writer for the whole process and returns the one it replaces; an empty one
// restores the toolkit's clipboard. Tests only.
TClipboardWriter SetClipboardWriter(TClipboardWriter writer);

// Raises EClipboardException "Cannot open clipboard: %s" when the clipboard fails.
void SetClipboardText(const String& text);

} // namespace ortavo
