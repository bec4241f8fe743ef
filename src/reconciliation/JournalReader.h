// Reading a run's journal back: every row checked before any is used.
#pragma once

#include "base/Exception.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ortavo {

// A journal that cannot be used: "JOURNAL line N: TEXT".
ORTAVO_EXCEPTION_CLASS(EJournalFormat, Exception);

// What a restore needs of one row; texts in UTF-8.
struct TJournalRow {
    int Line = 0;    // the file line the row starts on
    std::string Run; // empty in a journal without marks
    std::string Database;
    std::int32_t Sequence = 0;
    double OldDiscount = 0, NewDiscount = 0;
    double OldSurcharge = 0, NewSurcharge = 0;
    std::optional<std::string> OldState; // nothing for an empty field (NULL)
};

struct TJournal {
    // False for a journal of the 12-column header: no marks, no runs.
    bool Marks = true;
    std::vector<TJournalRow> Rows;
};

// The rows of text, a journal named name in the errors. Raises EJournalFormat for a
// header it does not know, a row of another width, a sequence that is no whole number or
// an amount that does not read back as a number.
TJournal ParseJournal(std::string_view text, const String& name);

// The file's rows; a file that cannot be read raises EStreamError.
TJournal ReadJournal(const String& path);

} // namespace ortavo
