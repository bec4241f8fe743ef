// The file tests' Windows side: LockFileEx on a handle of the test's own, the NUL device,
// the system's texts.
#include "FileTesting.h"

#include "base/Exception.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

namespace ortavo::testing {

String NotFoundText() {
    return WindowsErrorText(ERROR_FILE_NOT_FOUND);
}

String LockedText() {
    return WindowsErrorText(ERROR_LOCK_VIOLATION);
}

TWriterLock::TWriterLock(const std::string& path)
    : FNative(reinterpret_cast<std::intptr_t>(
          ::CreateFileW(std::filesystem::path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, 0, nullptr))) {
    OVERLAPPED whole{};
    if (reinterpret_cast<HANDLE>(FNative) == INVALID_HANDLE_VALUE ||
        !::LockFileEx(reinterpret_cast<HANDLE>(FNative),
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                      &whole))
        throw std::runtime_error("cannot lock " + path);
}

TWriterLock::~TWriterLock() {
    ::CloseHandle(reinterpret_cast<HANDLE>(FNative));
}

std::vector<std::string> NotRegularFiles(const TempFolder&) {
    return {"NUL"};
}

std::vector<int> LockFailures() {
    return {0};
}

void PlayLockFailure(int) {}

} // namespace ortavo::testing
