// Building the transaction parameter block from name=value lines.
#include "IBX/connection/IBTransactionParams.h"

#include "IBX/client/IB.h"
#include "base/Conversions.h"

#include <cstdint>

namespace ortavo {

const std::array<const char16_t*, TransactionParamCount> TransactionParamNames = {
    u"consistency", u"concurrency",    u"shared",           u"protected",
    u"exclusive",   u"wait",           u"nowait",           u"read",
    u"write",       u"lock_read",      u"lock_write",       u"verb_time",
    u"commit_time", u"ignore_limbo",   u"read_committed",   u"autocommit",
    u"rec_version", u"no_rec_version", u"restart_requests", u"no_auto_undo",
    u"no_savepoint"};

namespace {

constexpr char TpbVersion3 = 3;
constexpr int TpbLockRead = 10;
constexpr int TpbLockWrite = 11;
constexpr int TpbVerbTime = 12;
constexpr int TpbCommitTime = 13;
constexpr int TpbAutocommit = 16;
// Firebird's lock_timeout shares its code with no_savepoint but carries a value; Firebird
// has no no_savepoint, and the bare code would read as a malformed timeout.
constexpr int TpbLockTimeout = 21;
constexpr int TpbNoSavepoint = 21;
constexpr StringView LockTimeoutName = u"lock_timeout";
// The server keeps the timeout in 16 bits; 0 would mean no wait, which nowait says.
constexpr int MostLockTimeout = 32767;

} // namespace

int TransactionParamCode(StringView name) {
    for (int i = 0; i < TransactionParamCount; ++i)
        if (SameText(name, TransactionParamNames[static_cast<std::size_t>(i)]))
            return i + 1;
    return 0;
}

std::string BuildTPB(const TStrings& params) {
    std::string tpb;
    if (params.Count() == 0)
        return tpb;
    tpb.push_back(TpbVersion3);
    for (int i = 0; i < params.Count(); ++i) {
        const String line = params.Get(i);
        if (Trim(line).empty())
            continue;
        const auto equals = line.find(u'=');
        const String namePart = equals == String::npos ? line : line.substr(0, equals);
        const String value = equals == String::npos ? String() : line.substr(equals + 1);
        String name = LowerCase(namePart);
        if (name.starts_with(u"isc_tpb_"))
            name.erase(0, 8);
        if (name == LockTimeoutName) {
            // The seconds a wait transaction waits for a locked record, then fails; the
            // value travels as a length byte and a little-endian 32-bit integer.
            std::int32_t seconds = 0;
            if (!TryStrToInt(Trim(value), seconds) || seconds < 1 || seconds > MostLockTimeout)
                RaiseClientError(ibxeTPBConstantNotSupported, {name + u"=" + Trim(value)});
            tpb.push_back(static_cast<char>(TpbLockTimeout));
            tpb.push_back(4);
            for (int shift = 0; shift < 32; shift += 8)
                tpb.push_back(
                    static_cast<char>((static_cast<std::uint32_t>(seconds) >> shift) & 0xFF));
            continue;
        }
        const int code = TransactionParamCode(name);
        if (code == 0)
            RaiseClientError(ibxeTPBConstantUnknownEx, {namePart});
        if (code == TpbVerbTime || code == TpbCommitTime || code == TpbAutocommit ||
            code == TpbNoSavepoint)
            RaiseClientError(ibxeTPBConstantNotSupported, {namePart});
        tpb.push_back(static_cast<char>(code));
        if (code == TpbLockRead || code == TpbLockWrite) {
            // Names go to the client in UTF-8, the form the server compares them in for a
            // connection without a character set or with UTF8.
            const std::string table = ToUtf8(value);
            // The length travels in one byte: a longer name would spill into the following
            // items, so it is refused rather than cut.
            if (table.size() > 255)
                RaiseClientError(ibxeStringTooLarge, {static_cast<int>(table.size()), 255});
            tpb.push_back(static_cast<char>(table.size()));
            tpb += table;
        }
    }
    // The block's length is kept in 16 bits.
    if (tpb.size() > static_cast<std::size_t>(INT16_MAX))
        RaiseClientError(ibxeStringTooLarge, {static_cast<int>(tpb.size()), INT16_MAX});
    return tpb;
}

} // namespace ortavo
