// Reading and decoding the fiscal file.
#include "reconciliation/FiscalFile.h"

#include "base/Encoding.h"
#include "base/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

// Closes the descriptor whatever way the reading ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : FFd(fd) {}
    ~FileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

String FullPath(const String& path) {
    std::error_code ec;
    auto full = std::filesystem::absolute(std::filesystem::path(ToUtf8(path)), ec);
    return ec ? path : FromUtf8(full.lexically_normal().string());
}

[[noreturn]] void CannotOpen(const String& path, int error) {
    throw EFOpenError(u"Cannot open file \"" + FullPath(path) + u"\". " + SystemErrorText(error));
}

// The file's bytes. The buffer is not zero-filled first: for a file of 100 MB that pass
// alone costs as much as the reading.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
    std::string_view View() const { return {Data.get(), Size}; }
};

FileBytes ReadAll(const String& path) {
    std::string name = ToUtf8(path);
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        CannotOpen(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        CannotOpen(path, errno);
    if (S_ISDIR(info.st_mode))
        CannotOpen(path, EISDIR);
    // The size is a hint: a file that grows while it is read is read to its end.
    std::size_t capacity = static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0) + 1;
    FileBytes bytes{std::make_unique_for_overwrite<char[]>(capacity), 0};
    for (;;) {
        if (bytes.Size == capacity) {
            std::size_t larger = capacity * 2;
            auto grown = std::make_unique_for_overwrite<char[]>(larger);
            std::memcpy(grown.get(), bytes.Data.get(), bytes.Size);
            bytes.Data = std::move(grown);
            capacity = larger;
        }
        ssize_t n = ::read(fd.Get(), bytes.Data.get() + bytes.Size, capacity - bytes.Size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CannotOpen(path, errno);
        }
        if (n == 0)
            break;
        bytes.Size += static_cast<std::size_t>(n);
    }
    return bytes;
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

String ReadFiscalFileText(const String& path) {
    return DecodeFiscalText(ReadAll(path).View());
}

void LoadFiscalFile(const String& path, TMemoLines& view) {
    view.SetText(ReadFiscalFileText(path));
}

bool FiscalFileExists(const String& path) {
    struct stat info {};
    return ::stat(ToUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace ortavo
