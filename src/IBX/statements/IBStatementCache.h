// TIBStatementCache: server statements a connection keeps prepared after their statement
// text changed, so that the same text prepared again on it costs no server work.
#pragma once

#include "IBX/connection/IBAttachmentResources.h"

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

    // Takes out the statement prepared from exactly these bytes in this dialect: its cell
    // replaces cell (an empty one, which the cache keeps for later) and type receives its
    // type. False, with nothing changed, when there is no such statement.
    bool Take(const std::string& text, int dialect, TIBStatementCell& cell, int& type);
    // Keeps the statement in cell (prepared, cursor closed) under its text and dialect as
    // the most recently used, handing back an empty cell; the least recently used one
    // beyond the bound is dropped on the server. A text already kept keeps the statement
    // it has, and this one is dropped.
    void Keep(const std::string& text, int dialect, TIBStatementCell& cell, int type) noexcept;
    std::size_t Count() const noexcept { return FEntries.size(); }

    void Release(bool forced) noexcept override;
    void Abandon() noexcept override;

private:
    struct TEntry {
        std::string Text;
        int Dialect;
        TIBStatementCell Cell;
        int Type;
    };
    // Frees the statement on the server and gives its cell back for reuse; a cell whose
    // statement the server kept stays registered with the client library and is only
    // freed with the cache. Yields false when the server refused.
    bool Drop(TIBStatementCell cell) noexcept;
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
