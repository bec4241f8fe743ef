// The client library through LoadLibraryExW and GetProcAddress. A bare file name is looked
// for in the program's folder first, then along the system's search path with the current
// folder taken out of it: a database folder or a download folder must never be able to
// plant a fbclient.dll.
#include "IBX/client/SharedLibrary.h"

#include "base/Exception.h"
#include "base/Format.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace ortavo {

const char16_t* const ClientLibraryFile = u"fbclient.dll";

namespace {

std::wstring Wide(const String& text) {
    return std::wstring(text.begin(), text.end());
}

std::filesystem::path ProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

// The library's own folder is searched for what it loads in turn (Firebird's client brings
// its runtime and plugins beside it).
HMODULE LoadFromPath(const std::filesystem::path& path) {
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

thread_local DWORD LastLookupError = ERROR_SUCCESS;

} // namespace

void* OpenSharedLibrary(const String& file) {
    const std::filesystem::path path(Wide(file));
    if (path.has_parent_path())
        return LoadFromPath(path);
    const std::filesystem::path beside = ProgramFolder() / path;
    if (GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
        if (HMODULE module = LoadFromPath(beside))
            return module;
    // The standard search order less the current folder.
    SetDllDirectoryW(L"");
    return LoadLibraryExW(path.c_str(), nullptr, 0);
}

void CloseSharedLibrary(void* library) noexcept {
    FreeLibrary(static_cast<HMODULE>(library));
}

void* FindEntryPoint(void* library, const char* name) {
    FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    LastLookupError = address ? ERROR_SUCCESS : GetLastError();
    return reinterpret_cast<void*>(address);
}

void RaiseMissingEntryPoint(const char* name) {
    const int code = static_cast<int>(LastLookupError);
    throw EOSError(Format(u"System Error.  Code: %d.\r\n%s: %s",
                          {code, WindowsErrorText(LastLookupError), FromAscii(name)}),
                   code);
}

} // namespace ortavo
