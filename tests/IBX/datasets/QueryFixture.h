// A connection, a transaction and a query set up as the main window sets up its own, on a
// fresh database; and the few steps the query tests repeat.
#pragma once

#include "IBX/connection/IBTransaction.h"
#include "IBX/datasets/IBQuery.h"

#include "IBX/connection/TestDatabase.h"

#include <memory>

namespace ortavo::test {

class QueryFixture {
public:
    explicit QueryFixture(TAccess access, int dialect = 3, const String& charSet = {})
        : db(std::make_unique<TTestDatabase>(access, dialect)) {
        db->Configure(base);
        if (!charSet.empty())
            base.Params().Add(u"lc_ctype=" + charSet);
        base.SetSQLDialect(dialect);
        tr.SetDefaultAction(TIBTransactionAction::TACommitRetaining);
        base.SetDefaultTransaction(&tr);
        query.SetName(u"Query");
        query.SetDatabase(&base);
        query.SetTransaction(&tr);
        query.SetBufferChunks(1000);
        query.SetCachedUpdates(true);
        query.SetParamCheck(true);
    }

    // Close; SQL.Clear; SQL.Add, as the run gives the query each statement.
    void SetText(const String& text) {
        query.Close();
        query.SQL().Clear();
        query.SQL().Add(text);
    }
    // Opens a select and fetches all of it.
    void OpenAll(const String& text) {
        SetText(text);
        query.Open();
        query.FetchAll();
    }
    void Exec(const String& text) {
        SetText(text);
        query.ExecSQL();
        tr.CommitRetaining();
    }

    std::unique_ptr<TTestDatabase> db;
    TIBDatabase base;
    TIBTransaction tr;
    TIBQuery query;
};

} // namespace ortavo::test
