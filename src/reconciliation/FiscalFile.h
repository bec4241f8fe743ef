// Loading a fiscal-printer memory file into the file view: whole reading, byte-order
// marks, ANSI decoding; the view makes the line breaks uniform.
#pragma once

#include "base/MemoLines.h"
#include "base/String.h"

#include <functional>
#include <string>
#include <string_view>

namespace ortavo {

// Told after each piece of the file is read; lets a test change the file mid-read.
using TFiscalReadProgress = std::function<void()>;

// The file's text: UTF-8, UTF-16 LE or UTF-16 BE by its byte-order mark (skipped), the
// system's ANSI code page without one. Only a regular file (or a link to one) is read, under
// a shared advisory lock where the file system has locks; one that another process holds
// locked for writing, or whose identity, size or times differ after the read, is refused. Raises
// EFOpenError "Cannot open file "%s". %s" with the full path and the system's text or the reason.
// Reading stops, with the view's capacity error, as soon as the text could no longer fit in
// capacity characters.
String ReadFiscalFileText(const String& path, std::size_t capacity = TMemoLines::DefaultCapacity,
                          const TFiscalReadProgress& progress = {});

// Decoding alone, for bytes already read.
String DecodeFiscalText(std::string_view bytes);

// Replaces what the view held with the file's text, read within the view's capacity.
void LoadFiscalFile(const String& path, TMemoLines& view);

// True when path names an existing file (not a folder; a link counts by its target).
bool FiscalFileExists(const String& path);

} // namespace ortavo
