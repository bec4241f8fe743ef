// Files through Win32 handles: CreateFileW, LockFileEx, GetFileInformationByHandle(Ex),
// FILE_APPEND_DATA, FlushFileBuffers.
#include "base/File.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace ortavo {

namespace {

[[noreturn]] void Fail(DWORD code) {
    throw EFileError(WindowsErrorText(code));
}

[[noreturn]] void FailLast() {
    Fail(::GetLastError());
}

HANDLE Handle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

std::intptr_t NativeOf(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

const wchar_t* Wide(const String& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

// Shared every way, as POSIX files are: the business system may write or rename its file
// while it is open here; the states compared before and after a read tell.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle for the file's attributes alone, following links; folders open too.
class TAttributes {
public:
    explicit TAttributes(const String& path)
        : FHandle(::CreateFileW(Wide(path), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~TAttributes() {
        if (FHandle != INVALID_HANDLE_VALUE)
            ::CloseHandle(FHandle);
    }
    TAttributes(const TAttributes&) = delete;
    TAttributes& operator=(const TAttributes&) = delete;
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
};

// Nothing when the system cannot tell.
std::optional<TFileKind> KindOf(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return TFileKind::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TFileKind::Directory
                                                                   : TFileKind::Regular;
}

TFileTime TimeOf(const LARGE_INTEGER& ticks) {
    // Ticks of 100 ns since 1601; only equality matters here.
    return {ticks.QuadPart / 10'000'000, ticks.QuadPart % 10'000'000 * 100};
}

std::uint64_t Join(DWORD high, DWORD low) {
    return static_cast<std::uint64_t>(high) << 32 | low;
}

bool StateOf(HANDLE handle, TFileState& state) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return false;
    state.Volume = info.dwVolumeSerialNumber;
    state.Index[0] = Join(info.nFileIndexHigh, info.nFileIndexLow);
    state.Size = static_cast<std::int64_t>(Join(info.nFileSizeHigh, info.nFileSizeLow));
    state.Modified = TimeOf(basic.LastWriteTime);
    state.Changed = TimeOf(basic.ChangeTime);
    // The whole 128-bit number where the file system has one (ReFS's do not fit in 64).
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
        static_assert(sizeof id.FileId.Identifier == sizeof state.Index);
        state.Volume = id.VolumeSerialNumber;
        std::copy_n(id.FileId.Identifier, sizeof state.Index, reinterpret_cast<BYTE*>(state.Index));
    }
    return true;
}

HANDLE Open(const String& path, DWORD access, DWORD disposition, DWORD flags) {
    HANDLE handle = ::CreateFileW(Wide(path), access, kShareAll, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder opened for writing is refused as "access denied"; say what it is.
        if (error == ERROR_ACCESS_DENIED && FileKindAt(path) == TFileKind::Directory)
            throw EFileError(SystemErrorText(EISDIR));
        Fail(error);
    }
    return handle;
}

DWORD Piece(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
}

} // namespace

TFile TFile::OpenRead(const String& path) {
    // Backup semantics: a folder opens too, and Kind tells it apart.
    return TFile(NativeOf(Open(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS)));
}

TFile TFile::OpenWrite(const String& path, TWrite mode) {
    // An appended file is opened for appending only, so every write lands at its end
    // whoever else writes to it; its start, read back, says what it holds.
    if (mode == TWrite::Append)
        return TFile(NativeOf(Open(path, FILE_GENERIC_READ | FILE_APPEND_DATA, OPEN_ALWAYS, 0)));
    return TFile(NativeOf(Open(path, GENERIC_WRITE, CREATE_ALWAYS, 0)));
}

TFile::TFile(TFile&& other) noexcept
    : FNative(std::exchange(other.FNative, NativeOf(INVALID_HANDLE_VALUE))) {}

TFile& TFile::operator=(TFile&& other) noexcept {
    std::swap(FNative, other.FNative);
    return *this;
}

TFile::~TFile() {
    if (Handle(FNative) != INVALID_HANDLE_VALUE)
        ::CloseHandle(Handle(FNative));
}

TFileKind TFile::Kind() const {
    const std::optional<TFileKind> kind = KindOf(Handle(FNative));
    if (!kind)
        FailLast();
    return *kind;
}

TFileState TFile::State() const {
    TFileState state;
    if (!StateOf(Handle(FNative), state))
        FailLast();
    return state;
}

std::int64_t TFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Handle(FNative), &size))
        FailLast();
    return size.QuadPart;
}

void TFile::LockShared() {
    OVERLAPPED whole{};
    if (::LockFileEx(Handle(FNative), LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return;
    // Only a holder of a conflicting lock refuses; a file system without locks says so
    // otherwise, and the file is read unlocked. Closing the handle lets the lock go.
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION)
        Fail(error);
}

std::size_t TFile::Read(char* buffer, std::size_t size) {
    DWORD read = 0;
    if (!::ReadFile(Handle(FNative), buffer, Piece(size), &read, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE)
            Fail(error);
    }
    return read;
}

std::size_t TFile::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD read = 0;
    if (!::ReadFile(Handle(FNative), buffer, Piece(size), &read, &at)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_HANDLE_EOF)
            Fail(error);
    }
    return read;
}

void TFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(Handle(FNative), bytes.data(), Piece(bytes.size()), &written, nullptr))
            FailLast();
        bytes.remove_prefix(written);
    }
}

void TFile::Sync() {
    if (!::FlushFileBuffers(Handle(FNative)))
        FailLast();
}

void TFile::Truncate(std::int64_t size) {
    // Cutting needs the right to write anywhere, which an appending handle lacks: a second
    // handle on the same file (not on its name, which may name another file by now).
    HANDLE writer = ::ReOpenFile(Handle(FNative), GENERIC_WRITE, kShareAll, 0);
    if (writer == INVALID_HANDLE_VALUE)
        FailLast();
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    const bool cut = ::SetFileInformationByHandle(writer, FileEndOfFileInfo, &end, sizeof end);
    const DWORD error = ::GetLastError();
    ::CloseHandle(writer);
    if (!cut)
        Fail(error);
}

TFileKind FileKindAt(const String& path) {
    TAttributes file(path);
    if (file.Get() == INVALID_HANDLE_VALUE)
        return TFileKind::Missing;
    return KindOf(file.Get()).value_or(TFileKind::Missing);
}

std::optional<TFileState> FileStateAt(const String& path) {
    TAttributes file(path);
    TFileState state;
    if (file.Get() == INVALID_HANDLE_VALUE || !StateOf(file.Get(), state))
        return std::nullopt;
    return state;
}

} // namespace ortavo
