// Parsing and checking the journal's rows.
#include "reconciliation/JournalReader.h"

#include "reconciliation/CsvFile.h"
#include "reconciliation/CsvText.h"
#include "reconciliation/RunJournal.h"

#include <charconv>
#include <cmath>

namespace ortavo {

namespace {

// Columns of the row, by position.
enum Column {
    Database = 1,
    Sequence = 4,
    OldDiscount = 8,
    NewDiscount,
    OldSurcharge,
    NewSurcharge,
    OldState,
    Run
};

std::string HeaderOf(std::string_view header) {
    return std::string(header.substr(0, header.size() - 2));
}

std::string Joined(const std::vector<std::string>& fields) {
    std::string row = CsvRow(fields);
    return row.substr(0, row.size() - 2);
}

class TParser {
public:
    explicit TParser(const String& name) : FName(name) {}

    [[noreturn]] void Fail(int line, const std::string& text) const {
        throw EJournalFormat(FName + u" line " + IntToStr(line) + u": " + FromUtf8(text));
    }

    std::int32_t Whole(const TCsvRecord& record, Column column, const char* name) const {
        const std::string& text = record.Fields[column];
        std::int32_t value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            Fail(record.Line, std::string(name) + " \"" + text + "\" is not a whole number.");
        return value;
    }

    double Amount(const TCsvRecord& record, Column column, const char* name) const {
        const std::string& text = record.Fields[column];
        double value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::fixed);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
            !std::isfinite(value))
            Fail(record.Line,
                 std::string(name) + " \"" + text + "\" does not read back as a number.");
        return value;
    }

private:
    const String& FName;
};

} // namespace

TJournal ParseJournal(std::string_view text, const String& name) {
    const TParser parser(name);
    std::vector<TCsvRecord> records;
    try {
        records = ReadCsv(text);
    } catch (const ECsvFormat& e) {
        parser.Fail(e.Line, std::string(e.what()) + ".");
    }
    TJournal journal;
    if (records.empty())
        parser.Fail(1, "no header.");
    const std::string header = Joined(records.front().Fields);
    if (header == HeaderOf(JournalHeaderWithoutMarks))
        journal.Marks = false;
    else if (header != HeaderOf(JournalHeader))
        parser.Fail(1, "not a journal's header.");
    const std::size_t width = journal.Marks ? Run + 1 : OldState;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const TCsvRecord& record = records[i];
        if (record.Fields.size() != width)
            parser.Fail(record.Line, std::to_string(record.Fields.size()) +
                                         " fields where the header has " + std::to_string(width) +
                                         ".");
        TJournalRow row;
        row.Line = record.Line;
        row.Database = record.Fields[Database];
        row.Sequence = parser.Whole(record, Sequence, "sequence");
        row.OldDiscount = parser.Amount(record, OldDiscount, "old_discount");
        row.NewDiscount = parser.Amount(record, NewDiscount, "new_discount");
        row.OldSurcharge = parser.Amount(record, OldSurcharge, "old_surcharge");
        row.NewSurcharge = parser.Amount(record, NewSurcharge, "new_surcharge");
        if (journal.Marks) {
            if (!record.Fields[OldState].empty())
                row.OldState = record.Fields[OldState];
            row.Run = record.Fields[Run];
        }
        journal.Rows.push_back(std::move(row));
    }
    return journal;
}

TJournal ReadJournal(const String& path) {
    std::string text;
    try {
        text = ReadStart(TFile::OpenRead(path), static_cast<std::size_t>(-1));
    } catch (const EFileError& e) {
        throw EStreamError(u"Cannot read the journal \"" + path + u"\". " + e.Message());
    }
    return ParseJournal(text, path);
}

} // namespace ortavo
