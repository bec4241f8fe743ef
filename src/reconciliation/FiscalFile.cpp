// Reading and decoding the fiscal file.
#include "reconciliation/FiscalFile.h"

#include "base/Encoding.h"
#include "base/Exception.h"
#include "base/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

String FullPath(const String& path) {
    std::error_code ec;
    auto full = std::filesystem::absolute(std::filesystem::path(ToUtf8(path)), ec);
    return ec ? path : FromUtf8(full.lexically_normal().string());
}

[[noreturn]] void CannotOpen(const String& path, const String& reason) {
    throw EFOpenError(u"Cannot open file \"" + FullPath(path) + u"\". " + reason);
}

[[noreturn]] void CannotOpen(const String& path, int error) {
    CannotOpen(path, SystemErrorText(error));
}

// What tells that a file is still the one that was opened and has not been written since.
struct FileState {
    dev_t Device;
    ino_t Inode;
    off_t Size;
    timespec Modified;
    timespec Changed;

    explicit FileState(const struct stat& info)
        : Device(info.st_dev), Inode(info.st_ino), Size(info.st_size), Modified(info.st_mtim),
          Changed(info.st_ctim) {}
    bool operator==(const FileState& other) const {
        auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return Device == other.Device && Inode == other.Inode && Size == other.Size &&
               same(Modified, other.Modified) && same(Changed, other.Changed);
    }
};

FileState StateOf(const String& path, int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        CannotOpen(path, errno);
    return FileState(info);
}

// Reads the whole file in pieces, handing each to sink; size is the file's size when opened.
// Only a regular file is read: a pipe may never end and a device may never stop giving.
// The shared lock keeps out writers that lock; the states before and after catch those that
// do not (a file cut, grown or rewritten while read would otherwise pass as complete).
template <typename Sink>
void ReadInPieces(const String& path, std::size_t& size, const TFiscalReadProgress& progress,
                  Sink&& sink) {
    std::string name = ToUtf8(path);
    // Not blocking: opening a pipe without a writer would wait for one.
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0)
        CannotOpen(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        CannotOpen(path, errno);
    if (S_ISDIR(info.st_mode))
        CannotOpen(path, EISDIR);
    if (!S_ISREG(info.st_mode))
        CannotOpen(path, u"Not a regular file");
    // Only a writer holding its lock keeps the file out. A file system without locks (a
    // share that refuses them) cannot keep writers out: the file is read unlocked, and the
    // states compared below are what tells a change.
    while (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            CannotOpen(path, errno);
        if (errno != EINTR)
            break;
    }
    const FileState before = StateOf(path, fd.Get());
    size = static_cast<std::size_t>(before.Size > 0 ? before.Size : 0);
    constexpr std::size_t kPiece = 1 << 20;
    auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
    std::size_t total = 0;
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer.get(), kPiece);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CannotOpen(path, errno);
        }
        if (n == 0)
            break;
        total += static_cast<std::size_t>(n);
        sink(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
        if (progress)
            progress();
    }
    struct stat named {};
    if (total != size || !(StateOf(path, fd.Get()) == before) ||
        ::stat(name.c_str(), &named) != 0 || !(FileState(named) == before))
        CannotOpen(path, u"The file changed while it was being read");
}

} // namespace

String DecodeFiscalText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Encoding::Utf8().Decode(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return Encoding::ForCodePage(CP_UTF16LE).Decode(bytes.substr(2));
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return Encoding::ForCodePage(CP_UTF16BE).Decode(bytes.substr(2));
    return Encoding::Ansi().Decode(bytes);
}

String ReadFiscalFileText(const String& path, std::size_t capacity,
                          const TFiscalReadProgress& progress) {
    // Files without a byte-order mark (the usual case) are decoded piece by piece, so the
    // raw bytes and the text are never held whole at the same time; a marked file is
    // collected first, since its characters may straddle two pieces. Either way the text
    // only grows (the view adds breaks), so once it is past capacity the load must fail:
    // it stops there rather than read a file that may be far larger than memory.
    // A marked file of more than three bytes per character of capacity holds more.
    const std::size_t markedLimit = capacity > (SIZE_MAX - 3) / 3 ? SIZE_MAX : capacity * 3 + 3;
    String text;
    std::string marked;
    bool first = true, hasMark = false;
    std::size_t size = 0;
    try {
        ReadInPieces(path, size, progress, [&](std::string_view piece) {
            if (first) {
                first = false;
                hasMark = piece.starts_with("\xEF\xBB\xBF") || piece.starts_with("\xFF\xFE") ||
                          piece.starts_with("\xFE\xFF");
                // Room for the CR that the view adds to lone line feeds.
                if (!hasMark)
                    text.reserve(std::min(size + size / 32 + 16, capacity));
            }
            if (hasMark) {
                marked.append(piece);
                if (marked.size() > markedLimit)
                    RaiseCapacityError();
            } else {
                text += Encoding::Ansi().Decode(piece);
                if (text.size() > capacity)
                    RaiseCapacityError();
            }
        });
    } catch (const std::bad_alloc&) {
        RaiseCapacityError();
    }
    if (hasMark)
        return DecodeFiscalText(marked);
    return text;
}

void LoadFiscalFile(const String& path, TMemoLines& view) {
    view.SetText(ReadFiscalFileText(path, view.Capacity()));
}

bool FiscalFileExists(const String& path) {
    struct stat info {};
    return ::stat(ToUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace ortavo
