// CSV as the run's files write and read it: RFC 4180 fields and rows in UTF-8, CR LF ends.
#pragma once

#include "base/DateTime.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ortavo {

// A field as RFC 4180 writes it: quoted, with quotes doubled, when it holds a comma, a
// quote or a line break.
void AppendCsvField(std::string& row, std::string_view field);

// The fields joined by commas and ended by CR LF.
std::string CsvRow(const std::vector<std::string>& fields);

// A date as yyyy-mm-dd.
std::string IsoDate(TDateTime date);

// One record read back, with the file line it starts on (1-based).
struct TCsvRecord {
    int Line = 0;
    std::vector<std::string> Fields;
};

// A text that is no RFC 4180 CSV; Line is the file line the fault is on.
class ECsvFormat : public std::runtime_error {
public:
    ECsvFormat(int line, const std::string& what) : std::runtime_error(what), Line(line) {}
    int Line;
};

// Every record of text. A record ends with CR LF or a lone LF (an editor may have saved
// the file); a quoted field may hold both. The last record needs no line end.
std::vector<TCsvRecord> ReadCsv(std::string_view text);

} // namespace ortavo
