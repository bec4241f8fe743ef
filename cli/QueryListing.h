// ortavo-cli query: runs a select through the same dataset code the window's run uses and
// prints its rows as tab-separated lines.
#pragma once

#include "base/String.h"

#include <ostream>
#include <string>
#include <vector>

namespace ortavo {

class TField;

enum QueryStatus { QueryOk = 0, QueryFailed = 1, QueryUsage = 2 };

struct QueryOptions {
    String User = u"VORAS";
    String Password = u"##480317";
    // Empty: the connection has no character set.
    String CharSet;
    String Database;
    String Select;
};

// Appends a field's value of the current row as the listing writes it: \N for null, the
// text with backslash, tab, line feed and carriage return escaped. scratch is room for a
// text value that the caller keeps from one row to the next.
void AppendFieldText(const TField& field, std::string& line, String& scratch);
// Appends text with backslash, tab, line feed and carriage return escaped, in UTF-8.
void AppendEscaped(StringView text, std::string& line);

// Attaches, opens the select on a unidirectional query and prints the field names and
// then every row as it is fetched. Errors go to err as "error: " and the error box's text.
QueryStatus RunQuery(const QueryOptions& options, std::ostream& out, std::ostream& err);

} // namespace ortavo
