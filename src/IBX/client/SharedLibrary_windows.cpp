// The client library through LoadLibraryExW and GetProcAddress. A bare file name is looked
// for in the program's folder, then in the system folder, then in each absolute folder of
// PATH, each tried by its full name: the loader's own search would also try the current
// folder, and a database folder or a download folder must never be able to plant a
// fbclient.dll.
#include "IBX/client/SharedLibrary.h"

#include "base/Exception.h"
#include "base/Format.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace ortavo {

const char16_t* const ClientLibraryFile = u"fbclient.dll";

namespace {

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

std::wstring EnvironmentText(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    const DWORD length =
        GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

HMODULE LoadIfThere(const std::filesystem::path& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    return LoadFromPath(path);
}

thread_local DWORD LastLookupError = ERROR_SUCCESS;

} // namespace

void* OpenSharedLibrary(const String& file) {
    const std::filesystem::path path(reinterpret_cast<const wchar_t*>(file.c_str()));
    if (path.has_parent_path())
        return LoadFromPath(path);
    if (HMODULE module = LoadIfThere(ProgramFolder() / path))
        return module;
    if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // A relative folder on PATH ("." or an empty entry among them) would be the current one.
    const std::wstring folders = EnvironmentText(L"PATH");
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(L';', start);
        if (end == std::wstring::npos)
            end = folders.size();
        std::wstring folder = folders.substr(start, end - start);
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        const std::filesystem::path candidate(folder);
        if (candidate.is_absolute())
            if (HMODULE module = LoadIfThere(candidate / path))
                return module;
        start = end + 1;
    }
    return nullptr;
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
