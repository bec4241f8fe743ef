// Opening, writing and cutting the run's CSV files.
#include "reconciliation/CsvFile.h"

#include "base/Exception.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

bool ReadStart(int fd, std::size_t most, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    while (bytes.size() < most) {
        const std::size_t want = std::min(sizeof buffer, most - bytes.size());
        const ssize_t n = ::pread(fd, buffer, want, static_cast<off_t>(bytes.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

TCsvFile::TCsvFile(const String& path, StringView what, TMode mode) : FPath(path), FWhat(what) {
    // Read and write: an appended file's header says which rows it takes.
    const int flags = mode == TMode::Append ? O_RDWR | O_APPEND : O_WRONLY | O_TRUNC;
    FFd = ::open(ToUtf8(path).c_str(), flags | O_CREAT | O_CLOEXEC, 0644);
    if (FFd < 0)
        Fail(errno);
    struct stat info {};
    if (::fstat(FFd, &info) != 0)
        Fail(errno);
    if (S_ISDIR(info.st_mode))
        Fail(EISDIR);
}

TCsvFile::~TCsvFile() {
    if (FFd >= 0)
        ::close(FFd);
}

std::int64_t TCsvFile::Size() const {
    struct stat info {};
    if (::fstat(FFd, &info) != 0)
        Fail(errno);
    return info.st_size;
}

std::string TCsvFile::Head(std::size_t count) const {
    std::string bytes;
    if (!ReadStart(FFd, count, bytes))
        Fail(errno);
    return bytes;
}

void TCsvFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(FFd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TCsvFile::Sync() {
    if (::fsync(FFd) != 0)
        Fail(errno);
}

void TCsvFile::Truncate(std::int64_t size) {
    if (::ftruncate(FFd, static_cast<off_t>(size)) != 0)
        Fail(errno);
}

void TCsvFile::Fail(int error) const {
    throw EStreamError(u"Cannot write the " + FWhat + u" \"" + FPath + u"\". " +
                       SystemErrorText(error));
}

} // namespace ortavo
