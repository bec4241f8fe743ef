// Writing the journal's rows to disk.
#include "reconciliation/RunJournal.h"

#include "base/Clock.h"
#include "reconciliation/CsvText.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace ortavo {

std::string ShortestDecimal(double value) {
    char text[512];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

std::string LocalTimeWithOffset() {
    const LocalCalendar calendar = LocalCalendarOf(std::time(nullptr));
    const std::tm& local = calendar.Time;
    int offset = calendar.UtcOffsetMinutes;
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
    return text;
}

std::string RunIdentity() {
    return LocalTimeWithOffset() + "/" + std::to_string(::getpid());
}

std::string JournalRow(const TJournalEntry& entry, std::string_view time, bool marks) {
    std::vector<std::string> fields = {std::string(time),
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
    if (marks) {
        fields.push_back(entry.OldState ? ToUtf8(*entry.OldState) : std::string());
        fields.push_back(entry.Run);
    }
    return CsvRow(fields);
}

TRunJournal::TRunJournal(const String& path) : FFile(path, u"journal", TCsvFile::TMode::Append) {
    if (FFile.Size() == 0) {
        FFile.Write(JournalHeader);
        FFile.Sync();
        return;
    }
    FMarks = FFile.Head(JournalHeaderWithoutMarks.size()) != JournalHeaderWithoutMarks;
}

void TRunJournal::Append(const TJournalEntry& entry) {
    FBeforeLast = FFile.Size();
    try {
        FFile.Write(JournalRow(entry, LocalTimeWithOffset(), FMarks));
        FFile.Sync();
    } catch (...) {
        // A row cut short by a full disk would spoil the file for its readers; the failure
        // that already leaves is the one to report, so the cut's own failure is dropped.
        try {
            FFile.Truncate(FBeforeLast);
        } catch (...) {
        }
        FBeforeLast = -1;
        throw;
    }
}

void TRunJournal::Retract() {
    if (FBeforeLast < 0)
        return;
    FFile.Truncate(FBeforeLast);
    FBeforeLast = -1;
    FFile.Sync();
}

} // namespace ortavo
