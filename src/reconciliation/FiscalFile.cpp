// Reading and decoding the fiscal file.
#include "reconciliation/FiscalFile.h"

#include "base/Encoding.h"
#include "base/Exception.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
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

std::string ReadAll(const String& path) {
    std::string name = ToUtf8(path);
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        CannotOpen(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        CannotOpen(path, errno);
    if (S_ISDIR(info.st_mode))
        CannotOpen(path, EISDIR);
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + 65536);
        ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CannotOpen(path, errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
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
    return DecodeFiscalText(ReadAll(path));
}

void LoadFiscalFile(const String& path, TMemoLines& view) {
    view.SetText(ReadFiscalFileText(path));
}

bool FiscalFileExists(const String& path) {
    struct stat info {};
    return ::stat(ToUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace ortavo
