// Texts as the commands write them to a console: UTF-8 with LF line ends.
#pragma once

#include "base/String.h"

#include <ostream>
#include <string>

namespace ortavo {

// The text in UTF-8, every line break inside it (CR LF, CR or LF) one LF.
std::string ConsoleText(const String& text);
// The same, appended to out: a writer of many lines reuses one buffer.
void AppendConsoleText(StringView text, std::string& out);

// A console that can no longer be written ends the command as any failure does, rather
// than let it go on unseen: raises EStreamError "Cannot write to NAME" when stream failed.
void CheckWritten(std::ostream& stream, const char16_t* name);

} // namespace ortavo
