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

// Reads the whole file in pieces, handing each to sink; the size is a hint for the caller,
// a file that grows while it is read is read to its end.
template <typename Sink> void ReadInPieces(const String& path, std::size_t& sizeHint, Sink&& sink) {
    std::string name = ToUtf8(path);
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        CannotOpen(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        CannotOpen(path, errno);
    if (S_ISDIR(info.st_mode))
        CannotOpen(path, EISDIR);
    sizeHint = static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0);
    constexpr std::size_t kPiece = 1 << 20;
    auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer.get(), kPiece);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CannotOpen(path, errno);
        }
        if (n == 0)
            break;
        sink(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
    }
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
    // Files without a byte-order mark (the usual case) are decoded piece by piece, so the
    // raw bytes and the text are never held whole at the same time; a marked file is
    // collected first, since its characters may straddle two pieces.
    String text;
    std::string marked;
    bool first = true, hasMark = false;
    std::size_t size = 0;
    ReadInPieces(path, size, [&](std::string_view piece) {
        if (first) {
            first = false;
            hasMark = piece.starts_with("\xEF\xBB\xBF") || piece.starts_with("\xFF\xFE") ||
                      piece.starts_with("\xFE\xFF");
            // Room for the CR that the view adds to lone line feeds.
            if (!hasMark)
                text.reserve(size + size / 32 + 16);
        }
        if (hasMark)
            marked.append(piece);
        else
            text += Encoding::Ansi().Decode(piece);
    });
    if (hasMark)
        return DecodeFiscalText(marked);
    return text;
}

void LoadFiscalFile(const String& path, TMemoLines& view) {
    view.SetText(ReadFiscalFileText(path));
}

bool FiscalFileExists(const String& path) {
    struct stat info {};
    return ::stat(ToUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace ortavo
