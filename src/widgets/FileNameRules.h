// The text rules of the file-name edit's browse operation: which texts are file names,
// where a path's folder part ends, and when a folder counts as existing.
#pragma once

#include "base/String.h"

namespace ortavo {

// Not empty and free of < > " | * ?. The folder separator "/" is allowed.
bool IsValidFileName(StringView text);

// Everything up to and including the last "/", backslash or colon; empty without one.
StringView PathPart(StringView text);
StringView NamePart(StringView text);

// A folder path as the dialog keeps it: a trailing separator is dropped unless it follows a
// colon or is the whole path ("/data/" gives "/data", "C:\" and "/" stay).
String WithoutTrailingSeparator(StringView path);

// A folder, or a link to one that can be followed (a dangling or looping link is no
// folder). When the attributes cannot be read, the folder counts as existing unless the
// reason says the path is not there or cannot name anything.
bool FolderExists(StringView path);

} // namespace ortavo
