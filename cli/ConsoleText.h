// Texts as the commands write them to a console: UTF-8 with LF line ends.
#pragma once

#include "base/Exception.h"
#include "base/String.h"

#include <ostream>
#include <string>

namespace ortavo {

// The text in UTF-8, every line break inside it (CR LF, CR or LF) one LF.
std::string ConsoleText(const String& text);
// The same, appended to out: a writer of many lines reuses one buffer.
void AppendConsoleText(StringView text, std::string& out);

// A console that can no longer be written (a full disk, a closed pipe) ends the command as
// any failure does, rather than let it go on unseen and end as a success. The stream keeps
// no reason (errno does not survive it), so the error names the stream only:
// "Cannot write to standard output".
void CheckWritten(std::ostream& stream, const char16_t* name);
// "error: " and the error box's text, on one line.
void WriteError(std::ostream& err, const Exception& e);

} // namespace ortavo
