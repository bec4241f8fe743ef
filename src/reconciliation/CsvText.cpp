// Writing and reading CSV fields and rows.
#include "reconciliation/CsvText.h"

#include <cstdio>

namespace ortavo {

void AppendCsvField(std::string& row, std::string_view field) {
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

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    bool first = true;
    for (const std::string& field : fields) {
        if (!first)
            row += ',';
        first = false;
        AppendCsvField(row, field);
    }
    row += "\r\n";
    return row;
}

std::string IsoDate(TDateTime date) {
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::vector<TCsvRecord> ReadCsv(std::string_view text) {
    std::vector<TCsvRecord> records;
    int line = 1;
    std::size_t at = 0;
    while (at < text.size()) {
        TCsvRecord record;
        record.Line = line;
        bool ended = false;
        while (!ended) {
            std::string field;
            if (at < text.size() && text[at] == '"') {
                ++at;
                for (;;) {
                    if (at >= text.size())
                        throw ECsvFormat(record.Line, "a quoted field is not closed");
                    const char c = text[at++];
                    if (c == '"') {
                        if (at < text.size() && text[at] == '"') {
                            field += '"';
                            ++at;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                if (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n')
                    throw ECsvFormat(line, "text after a quoted field");
            } else {
                const std::size_t end = text.find_first_of(",\r\n\"", at);
                const std::size_t stop = end == std::string_view::npos ? text.size() : end;
                if (stop < text.size() && text[stop] == '"')
                    throw ECsvFormat(line, "a quote inside a field that is not quoted");
                field.assign(text.substr(at, stop - at));
                at = stop;
            }
            record.Fields.push_back(std::move(field));
            if (at >= text.size()) {
                ended = true;
            } else if (text[at] == ',') {
                ++at;
            } else if (text[at] == '\n' || text.substr(at, 2) == "\r\n") {
                at += text[at] == '\n' ? 1 : 2;
                ++line;
                ended = true;
            } else {
                throw ECsvFormat(line, "a carriage return without a line feed");
            }
        }
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace ortavo
