// The connection's kept server statements: taking, keeping, the bound and the release.
#include "IBX/statements/IBStatementCache.h"

#include "IBX/client/IB.h"
#include "IBX/client/IBIntf.h"
#include "IBX/connection/IBDatabase.h"

namespace ortavo {

namespace {

// Puts a cell in a list; without memory for it, the cell is let go unfreed rather than
// freed while the client library may still write to it.
void Store(std::vector<TIBStatementCell>& list, TIBStatementCell cell) noexcept {
    try {
        list.push_back(std::move(cell));
    } catch (...) {
        (void)cell.release();
    }
}

} // namespace

TIBStatementCache::~TIBStatementCache() = default;

TIBStatementCache* TIBStatementCache::Of(TIBDatabase& database) {
    if (!database.KeepStatements() || !database.Connected())
        return nullptr;
    return &database.AttachmentResources().Obtain<TIBStatementCache>(
        [&database] { return std::make_unique<TIBStatementCache>(database); });
}

void TIBStatementCache::DropAll(TIBDatabase& database) noexcept {
    try {
        if (TIBStatementCache* cache = Of(database))
            cache->Release(true);
    } catch (...) {
        // Only making the cache can fail here, and then it held nothing.
    }
}

template <typename Matches>
bool TIBStatementCache::TakeFirst(Matches matches, TIBStatementCell& cell,
                                  TIBPreparedShape& shape) {
    for (auto entry = FEntries.begin(); entry != FEntries.end(); ++entry) {
        if (!matches(entry->Shape))
            continue;
        if (*entry->Cell == 0) {
            // The client library let the statement go (it clears the cell then).
            Store(FSpare, std::move(entry->Cell));
            FEntries.erase(entry);
            return false;
        }
        FSpare.reserve(FSpare.size() + 1);
        FSpare.push_back(std::move(cell));
        shape = std::move(entry->Shape);
        cell = std::move(entry->Cell);
        FEntries.erase(entry);
        return true;
    }
    return false;
}

bool TIBStatementCache::Take(StringView source, bool paramCheck, bool generateParamNames,
                             int dialect, TIBStatementCell& cell, TIBPreparedShape& shape) {
    return TakeFirst(
        [&](const TIBPreparedShape& kept) {
            return kept.Dialect == dialect && kept.ParamCheck == paramCheck &&
                   kept.GenerateParamNames == generateParamNames && kept.Source == source;
        },
        cell, shape);
}

bool TIBStatementCache::TakeSent(const std::string& sent, int dialect, TIBStatementCell& cell,
                                 TIBPreparedShape& shape) {
    return TakeFirst(
        [&](const TIBPreparedShape& kept) { return kept.Dialect == dialect && kept.Sent == sent; },
        cell, shape);
}

TIBStatementCell TIBStatementCache::SpareCell() {
    if (FSpare.empty())
        return std::make_unique<isc_stmt_handle>(0);
    TIBStatementCell cell = std::move(FSpare.back());
    FSpare.pop_back();
    *cell = 0;
    return cell;
}

void TIBStatementCache::Keep(TIBStatementCell& cell, TIBPreparedShape&& shape) noexcept {
    for (const TEntry& entry : FEntries)
        if (entry.Shape.Dialect == shape.Dialect && entry.Shape.Sent == shape.Sent) {
            // The caller keeps its cell; the drop clears the handle in it.
            DropAt(cell.get());
            return;
        }
    try {
        TIBStatementCell empty = SpareCell();
        // The node first: once it exists nothing below can fail, so the statement never
        // leaves cell for an entry that was not made.
        FEntries.emplace_front();
        FEntries.front().Shape = std::move(shape);
        FEntries.front().Cell = std::move(cell);
        cell = std::move(empty);
    } catch (...) {
        // Without room to keep it the statement is dropped, as if no cache existed.
        if (cell)
            DropAt(cell.get());
        return;
    }
    while (FEntries.size() > FCapacity) {
        Drop(std::move(FEntries.back().Cell));
        FEntries.pop_back();
    }
}

bool TIBStatementCache::DropAt(isc_stmt_handle* handle) noexcept {
    // A statement that cannot be dropped is left to the attachment, which frees it when it
    // goes; the caller carries on either way.
    try {
        IGDSLibrary* library = FDatabase.GDSLibrary();
        return library &&
               library->isc_dsql_free_statement(ThreadStatusVector(), handle, DSQL_drop) <= 0;
    } catch (...) {
        // Only loading a binding can raise here, and a connected connection has one.
        return false;
    }
}

bool TIBStatementCache::Drop(TIBStatementCell cell) noexcept {
    const bool dropped = DropAt(cell.get());
    Store(dropped ? FSpare : FOrphans, std::move(cell));
    return dropped;
}

void TIBStatementCache::Abandon() noexcept {
    // The client library still knows these cells and clears them at the detach, so they
    // live on with the cache.
    for (TEntry& entry : FEntries)
        Store(FOrphans, std::move(entry.Cell));
    FEntries.clear();
}

void TIBStatementCache::Release(bool forced) noexcept {
    bool reachable = true;
    for (TEntry& entry : FEntries) {
        if (reachable) {
            if (!Drop(std::move(entry.Cell)) && forced)
                reachable = false;
        } else {
            Store(FOrphans, std::move(entry.Cell));
        }
    }
    FEntries.clear();
}

} // namespace ortavo
