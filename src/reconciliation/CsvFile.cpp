// Opening, writing and cutting the run's CSV files.
#include "reconciliation/CsvFile.h"

#include "base/Exception.h"

#include <algorithm>
#include <cerrno>

namespace ortavo {

std::string ReadStart(const TFile& file, std::size_t most) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < most) {
        const std::size_t want = std::min(sizeof buffer, most - bytes.size());
        const std::size_t n = file.ReadAt(static_cast<std::int64_t>(bytes.size()), buffer, want);
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

template <typename Call> auto TCsvFile::Checked(Call&& call) const {
    try {
        return call();
    } catch (const EFileError& e) {
        Fail(e.Message());
    }
}

TCsvFile::TCsvFile(const String& path, StringView what, TMode mode)
    : FPath(path), FWhat(what), FFile(Checked([&] {
          return TFile::OpenWrite(path, mode == TMode::Append ? TFile::TWrite::Append
                                                              : TFile::TWrite::Truncate);
      })) {
    if (Checked([&] { return FFile.Kind(); }) == TFileKind::Directory)
        Fail(SystemErrorText(EISDIR));
}

TCsvFile::~TCsvFile() = default;

std::int64_t TCsvFile::Size() const {
    return Checked([&] { return FFile.Size(); });
}

std::string TCsvFile::Head(std::size_t count) const {
    return Checked([&] { return ReadStart(FFile, count); });
}

void TCsvFile::Write(std::string_view bytes) {
    Checked([&] { FFile.Write(bytes); });
}

void TCsvFile::Sync() {
    Checked([&] { FFile.Sync(); });
}

void TCsvFile::Truncate(std::int64_t size) {
    Checked([&] { FFile.Truncate(size); });
}

void TCsvFile::Fail(const String& reason) const {
    throw EStreamError(u"Cannot write the " + FWhat + u" \"" + FPath + u"\". " + reason);
}

} // namespace ortavo
