// The transaction parameter block: the table of parameter names and the building of the
// block from a transaction's Params lines.
#pragma once

#include "base/String.h"
#include "base/Strings.h"

#include <array>
#include <cstdint>
#include <string>

namespace ortavo {

// The names of the client API's transaction parameters (isc_tpb_ without the prefix);
// the entry at index i has the code i + 1.
inline constexpr int TransactionParamCount = 21;
extern const std::array<const char16_t*, TransactionParamCount> TransactionParamNames;

// The code of a parameter name compared without regard to case, or 0 when unknown.
int TransactionParamCode(StringView name);

// The block for the lines: empty for no lines; otherwise the version byte 3 and one item
// per non-blank line. lock_read and lock_write carry their table name in UTF-8;
// "lock_timeout=SECONDS", Firebird's bounded wait, carries its value. Raises client error
// 115 for an unknown name, 13 for an unsupported one (no_savepoint, which Firebird lacks)
// or a lock_timeout other than 1 to 32767 seconds, and 119 for a table name longer than its
// length byte or a block longer than 32767 bytes.
std::string BuildTPB(const TStrings& params);

} // namespace ortavo
