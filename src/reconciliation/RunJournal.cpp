// Writing the journal's rows to disk.
#include "reconciliation/RunJournal.h"

#include "base/Exception.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

// A field as RFC 4180 writes it: quoted, with quotes doubled, when it holds a comma, a
// quote or a line break.
void AppendField(std::string& row, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        row += field;
        return;
    }
    row += '"';
    for (char c : field) {
        if (c == '"')
            row += '"';
        row += c;
    }
    row += '"';
}

std::string IsoDate(TDateTime date) {
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

} // namespace

std::string ShortestDecimal(double value) {
    char text[512];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

std::string LocalTimeWithOffset() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int offset = static_cast<int>(local.tm_gmtoff / 60);
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
    return text;
}

std::string JournalRow(const TJournalEntry& entry, std::string_view time) {
    std::string row;
    const std::string fields[] = {std::string(time),
                                  ToUtf8(entry.Database),
                                  ToUtf8(entry.File),
                                  std::to_string(entry.Line),
                                  std::to_string(entry.Sequence),
                                  ToUtf8(entry.Document),
                                  IsoDate(entry.IssueDate),
                                  ToUtf8(entry.Printer),
                                  ShortestDecimal(entry.OldDiscount),
                                  ShortestDecimal(entry.NewDiscount),
                                  ShortestDecimal(entry.OldSurcharge),
                                  ShortestDecimal(entry.NewSurcharge)};
    for (const std::string& field : fields) {
        if (!row.empty())
            row += ',';
        AppendField(row, field);
    }
    row += "\r\n";
    return row;
}

TRunJournal::TRunJournal(const String& path) : FPath(path) {
    FFd = ::open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (FFd < 0)
        Fail(errno);
    struct stat info {};
    if (::fstat(FFd, &info) != 0)
        Fail(errno);
    if (S_ISDIR(info.st_mode))
        Fail(EISDIR);
    if (info.st_size == 0) {
        WriteAll(JournalHeader);
        Sync();
    }
}

TRunJournal::~TRunJournal() {
    if (FFd >= 0)
        ::close(FFd);
}

void TRunJournal::Append(const TJournalEntry& entry) {
    struct stat info {};
    if (::fstat(FFd, &info) != 0)
        Fail(errno);
    FBeforeLast = info.st_size;
    try {
        WriteAll(JournalRow(entry, LocalTimeWithOffset()));
        Sync();
    } catch (...) {
        // A row cut short by a full disk would spoil the file for its readers; the failure
        // that already leaves is the one to report, so the cut's own failure is dropped.
        static_cast<void>(::ftruncate(FFd, static_cast<off_t>(FBeforeLast)));
        FBeforeLast = -1;
        throw;
    }
}

void TRunJournal::Retract() {
    if (FBeforeLast < 0)
        return;
    if (::ftruncate(FFd, static_cast<off_t>(FBeforeLast)) != 0)
        Fail(errno);
    FBeforeLast = -1;
    Sync();
}

void TRunJournal::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(FFd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TRunJournal::Sync() {
    if (::fsync(FFd) != 0)
        Fail(errno);
}

void TRunJournal::Fail(int error) const {
    throw EStreamError(u"Cannot write the journal \"" + FPath + u"\". " + SystemErrorText(error));
}

} // namespace ortavo
