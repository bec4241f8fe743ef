// Files through POSIX descriptors: open(2), flock(2), fstat(2), fsync(2).
#include "base/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ortavo {

namespace {

[[noreturn]] void Fail(int error) {
    throw EFileError(SystemErrorText(error));
}

int Fd(std::intptr_t native) {
    return static_cast<int>(native);
}

TFileKind KindOf(const struct stat& info) {
    if (S_ISREG(info.st_mode))
        return TFileKind::Regular;
    return S_ISDIR(info.st_mode) ? TFileKind::Directory : TFileKind::Other;
}

TFileState StateOf(const struct stat& info) {
    TFileState state;
    state.Volume = info.st_dev;
    state.Index[0] = info.st_ino;
    state.Size = info.st_size;
    state.Modified = {info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
    state.Changed = {info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
    return state;
}

struct stat Stat(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        Fail(errno);
    return info;
}

int Open(const String& path, int flags) {
    const int fd = ::open(ToUtf8(path).c_str(), flags | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0)
        Fail(errno);
    return fd;
}

} // namespace

TFile TFile::OpenRead(const String& path) {
    return TFile(Open(path, O_RDONLY | O_NONBLOCK));
}

TFile TFile::OpenWrite(const String& path, TWrite mode) {
    // Read too when appended: its start says what it holds.
    return TFile(
        Open(path, O_CREAT | (mode == TWrite::Append ? O_RDWR | O_APPEND : O_WRONLY | O_TRUNC)));
}

TFile::TFile(TFile&& other) noexcept : FNative(std::exchange(other.FNative, -1)) {}

TFile& TFile::operator=(TFile&& other) noexcept {
    std::swap(FNative, other.FNative);
    return *this;
}

TFile::~TFile() {
    if (FNative >= 0)
        ::close(Fd(FNative));
}

TFileKind TFile::Kind() const {
    return KindOf(Stat(Fd(FNative)));
}

TFileState TFile::State() const {
    return StateOf(Stat(Fd(FNative)));
}

std::int64_t TFile::Size() const {
    return Stat(Fd(FNative)).st_size;
}

void TFile::LockShared() {
    // Only a holder of a conflicting lock refuses; a file system without locks (a share
    // that refuses them) gives another error, and the file is read unlocked.
    while (::flock(Fd(FNative), LOCK_SH | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            Fail(errno);
        if (errno != EINTR)
            return;
    }
}

std::size_t TFile::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(FNative), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            Fail(errno);
    }
}

std::size_t TFile::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    for (;;) {
        const ssize_t n = ::pread(Fd(FNative), buffer, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            Fail(errno);
    }
}

void TFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(Fd(FNative), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TFile::Sync() {
    if (::fsync(Fd(FNative)) != 0)
        Fail(errno);
}

void TFile::Truncate(std::int64_t size) {
    if (::ftruncate(Fd(FNative), static_cast<off_t>(size)) != 0)
        Fail(errno);
}

TFileKind FileKindAt(const String& path) {
    struct stat info {};
    if (::stat(ToUtf8(path).c_str(), &info) != 0)
        return TFileKind::Missing;
    return KindOf(info);
}

std::optional<TFileState> FileStateAt(const String& path) {
    struct stat info {};
    if (::stat(ToUtf8(path).c_str(), &info) != 0)
        return std::nullopt;
    return StateOf(info);
}

} // namespace ortavo
