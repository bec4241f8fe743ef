// The client library as the system's loader sees it: a file found by name, its entry points
// looked up by name.
#pragma once

#include "base/String.h"

namespace ortavo {

// The client library's file on this system, for the server and the embedded engine alike.
extern const char16_t* const ClientLibraryFile;

// The library loaded, or null when the system cannot find or load it.
void* OpenSharedLibrary(const String& file);
void CloseSharedLibrary(void* library) noexcept;
// The entry point's address, or null when the library lacks it.
void* FindEntryPoint(void* library, const char* name);
// The loader's failure to find an entry point, as an operating-system error; called right
// after FindEntryPoint came back empty.
[[noreturn]] void RaiseMissingEntryPoint(const char* name);

} // namespace ortavo
