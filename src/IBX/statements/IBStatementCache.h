// TIBStatementCache: server statements a connection keeps prepared after their statement
// text changed, so that the same text prepared again on it costs no server work.
#pragma once

#include "IBX/connection/IBAttachmentResources.h"
#include "IBX/statements/IBXSQLDA.h"
#include "base/String.h"

#include <ibase.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace ortavo {

class TIBDatabase;

// Where a statement handle lives. The client library remembers the address a statement
// was allocated at and clears it when the statement or its attachment goes, so a handle
// moves between owners only together with its cell.
using TIBStatementCell = std::unique_ptr<isc_stmt_handle>;

// What preparing a statement text yielded besides the server statement: kept with it, so
// that preparing the same text again needs neither the parameter scan nor describing.
struct TIBPreparedShape {
    // The statement's text as written, the scan's switches and the dialect: the key under
    // which the rest holds.
    String Source;
    bool ParamCheck = true;
    bool GenerateParamNames = false;
    int Dialect = 3;
    // The text with its markers replaced, the markers' names, and the bytes sent.
    String ProcessedSQL;
    std::vector<String> ParamNames;
    std::string Sent;
    int Type = 0;
    // The areas as described and initialized, before any value retyped a variable.
    TIBXSQLDADescription Params;
    TIBXSQLDADescription Record;
};

// Ownership: owned by the connection's attachment resources; holds the server statements
// it keeps and drops them when the connection releases it (before every detach) or when
// they fall out of the bound. A statement taken out belongs to the taker.
class TIBStatementCache : public IIBAttachmentResource {
public:
    static constexpr std::size_t DefaultCapacity = 32;

    explicit TIBStatementCache(TIBDatabase& database, std::size_t capacity = DefaultCapacity)
        : FDatabase(database), FCapacity(capacity) {}
    ~TIBStatementCache() override;
    TIBStatementCache(const TIBStatementCache&) = delete;
    TIBStatementCache& operator=(const TIBStatementCache&) = delete;

    // The cache of the connection, or null while the connection keeps no statements.
    static TIBStatementCache* Of(TIBDatabase& database);
    // Drops on the server every statement the connection keeps, so that none holds the
    // tables and indexes its plan uses; the connection goes on keeping the next ones.
    // Failures are dropped: what could not be dropped goes with the attachment.
    static void DropAll(TIBDatabase& database) noexcept;

    // Takes out the statement prepared from this source text with these switches in this
    // dialect: its cell replaces cell (an empty one, which the cache keeps for later) and
    // shape receives what its preparing yielded. False, with nothing changed, when there
    // is no such statement.
    bool Take(StringView source, bool paramCheck, bool generateParamNames, int dialect,
              TIBStatementCell& cell, TIBPreparedShape& shape);
    // The same, for the statement prepared from exactly these bytes in this dialect (another
    // source text may scan to them).
    bool TakeSent(const std::string& sent, int dialect, TIBStatementCell& cell,
                  TIBPreparedShape& shape);
    // Keeps the statement in cell (prepared, cursor closed) under the bytes it was
    // prepared from and its dialect as the most recently used, handing back an empty cell;
    // the least recently used one beyond the bound is dropped on the server. Bytes already
    // kept keep the statement they have, and this one is dropped.
    void Keep(TIBStatementCell& cell, TIBPreparedShape&& shape) noexcept;
    std::size_t Count() const noexcept { return FEntries.size(); }

    void Release(bool forced) noexcept override;
    void Abandon() noexcept override;

private:
    struct TEntry {
        TIBStatementCell Cell;
        TIBPreparedShape Shape;
    };
    // Frees the statement on the server and gives its cell back for reuse; a cell whose
    // statement the server kept stays registered with the client library and is only
    // freed with the cache. Yields false when the server refused.
    bool Drop(TIBStatementCell cell) noexcept;
    template <typename Matches>
    bool TakeFirst(Matches matches, TIBStatementCell& cell, TIBPreparedShape& shape);
    bool DropAt(isc_stmt_handle* handle) noexcept;
    TIBStatementCell SpareCell();

    // The connection owns the cache; its binding is asked at each drop, since it may
    // change while the connection is closed (and the cache empty).
    TIBDatabase& FDatabase;
    std::size_t FCapacity;
    // Most recently used first. The run cycles through a handful of texts, so a list
    // searched from the front finds them at once.
    std::list<TEntry> FEntries;
    std::vector<TIBStatementCell> FSpare;
    std::vector<TIBStatementCell> FOrphans;
};

} // namespace ortavo
