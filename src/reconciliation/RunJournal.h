// The journal of a headless run: one CSV row for every sale whose amounts a run overwrote,
// with the old amounts in a form that reads back as the same doubles and the sale's old
// mark, so they can be restored exactly.
#pragma once

#include "base/DateTime.h"
#include "base/String.h"
#include "reconciliation/CsvFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ortavo {

// One overwritten sale.
struct TJournalEntry {
    String Database;
    String File;
    int Line = 0; // 1-based line of the coupon in File
    std::int32_t Sequence = 0;
    String Document;
    TDateTime IssueDate = 0;
    String Printer;
    double OldDiscount = 0, NewDiscount = 0;
    double OldSurcharge = 0, NewSurcharge = 0;
    // PAI_ESTADO before the run; nothing for NULL.
    std::optional<String> OldState;
    // The run that overwrote it (RunIdentity).
    std::string Run;
};

inline constexpr std::string_view JournalHeader =
    "time,database,file,line,sequence,document,issue_date,printer,old_discount,new_discount,"
    "old_surcharge,new_surcharge,old_state,run\r\n";
// The header of journals written before the mark and the run were kept; such a file goes
// on getting rows of its own 12 columns.
inline constexpr std::string_view JournalHeaderWithoutMarks =
    "time,database,file,line,sequence,document,issue_date,printer,old_discount,new_discount,"
    "old_surcharge,new_surcharge\r\n";

// The row of an entry (RFC 4180, UTF-8, ended by CR LF), time being its first field;
// without the last two fields when marks is false.
std::string JournalRow(const TJournalEntry& entry, std::string_view time, bool marks = true);

// The local time as ISO 8601 with the offset from UTC, e.g. 2024-03-15T10:20:30-03:00.
std::string LocalTimeWithOffset();

// What tells one run's rows from another's: the local time with its offset, "/" and the
// process id, e.g. 2024-03-15T10:20:30-03:00/4711.
std::string RunIdentity();

// The shortest decimal text with "." and without exponent that reads back as the same
// double.
std::string ShortestDecimal(double value);

// The journal file, opened for appending (created when missing); a new or empty file gets
// the header row first. Every row is on disk (fsync) before Append returns. Failures raise
// EStreamError naming the file.
class TRunJournal {
public:
    explicit TRunJournal(const String& path);

    void Append(const TJournalEntry& entry);
    // Takes the last appended row out again: the change it recorded was not kept.
    void Retract();
    // False for a file that began with the 12-column header.
    bool KeepsMarks() const noexcept { return FMarks; }

private:
    TCsvFile FFile;
    bool FMarks = true;
    std::int64_t FBeforeLast = -1;
};

} // namespace ortavo
