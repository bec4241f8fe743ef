// Loading a fiscal-printer memory file into the file view: whole reading, byte-order
// marks, ANSI decoding; the view makes the line breaks uniform.
#pragma once

#include "base/MemoLines.h"
#include "base/String.h"

#include <string>
#include <string_view>

namespace ortavo {

// The file's text: UTF-8, UTF-16 LE or UTF-16 BE by its byte-order mark (skipped), the
// system's ANSI code page without one. Raises EFOpenError
// "Cannot open file "%s". %s" with the full path and the system's text.
String ReadFiscalFileText(const String& path);

// Decoding alone, for bytes already read.
String DecodeFiscalText(std::string_view bytes);

// Replaces what the view held with the file's text.
void LoadFiscalFile(const String& path, TMemoLines& view);

// True when path names an existing file (not a folder; a link counts by its target).
bool FiscalFileExists(const String& path);

} // namespace ortavo
