// Reading and decoding the fiscal file.
#include "reconciliation/FiscalFile.h"

#include "base/Encoding.h"
#include "base/Exception.h"
#include "base/File.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace ortavo {

namespace {

// Through UTF-8 on every system (a narrow name is in the ANSI code page on Windows).
String FullPath(const String& path) {
    const std::string name = ToUtf8(path);
    std::error_code ec;
    const auto full = std::filesystem::absolute(
        std::filesystem::path(std::u8string(name.begin(), name.end())), ec);
    if (ec)
        return path;
    const std::u8string text = full.lexically_normal().u8string();
    return FromUtf8(std::string(text.begin(), text.end()));
}

[[noreturn]] void CannotOpen(const String& path, const String& reason) {
    throw EFOpenError(u"Cannot open file \"" + FullPath(path) + u"\". " + reason);
}

// Reads the whole file in pieces, handing each to sink; size is the file's size when opened.
// Only a regular file is read: a pipe may never end and a device may never stop giving.
// The shared lock keeps out writers that lock; the states before and after catch those that
// do not (a file cut, grown or rewritten while read would otherwise pass as complete).
template <typename Sink>
void ReadInPieces(const String& path, std::size_t& size, const TFiscalReadProgress& progress,
                  Sink&& sink) {
    try {
        TFile file = TFile::OpenRead(path);
        switch (file.Kind()) {
        case TFileKind::Regular:
            break;
        case TFileKind::Directory:
            CannotOpen(path, SystemErrorText(EISDIR));
        default:
            CannotOpen(path, u"Not a regular file");
        }
        file.LockShared();
        const TFileState before = file.State();
        size = static_cast<std::size_t>(before.Size > 0 ? before.Size : 0);
        constexpr std::size_t kPiece = 1 << 20;
        auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
        std::size_t total = 0;
        while (const std::size_t n = file.Read(buffer.get(), kPiece)) {
            total += n;
            sink(std::string_view(buffer.get(), n));
            if (progress)
                progress();
        }
        // The name too: the file may have been replaced by another one under it.
        if (total != size || !(file.State() == before) || FileStateAt(path) != before)
            CannotOpen(path, u"The file changed while it was being read");
    } catch (const EFileError& e) {
        CannotOpen(path, e.Message());
    }
}

} // namespace

String DecodeFiscalText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Encoding::Utf8().Decode(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return Encoding::ForCodePage(CodePageUtf16LE).Decode(bytes.substr(2));
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return Encoding::ForCodePage(CodePageUtf16BE).Decode(bytes.substr(2));
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
    const TFileKind kind = FileKindAt(path);
    return kind != TFileKind::Missing && kind != TFileKind::Directory;
}

} // namespace ortavo
