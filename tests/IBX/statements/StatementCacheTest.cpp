// The connection's kept statements: a text prepared again takes its server statement back,
// the bound, what is never kept, a kept statement the server gave up, and the switch.
#include "SQLTestFixture.h"

#include "IBX/statements/IBStatementCache.h"

namespace ortavo::test {
namespace {

class StatementCacheTest : public SQLFixture {
protected:
    void SetUp() override {
        SQLFixture::SetUp();
        Schema("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(20))");
        Schema("INSERT INTO T VALUES (1, 'one')");
    }
    std::size_t Kept() { return TIBStatementCache::Of(base)->Count(); }
    String Name(int id) {
        Prepare(u"SELECT NAME FROM T WHERE ID = :ID");
        sql->ParamByName(u"ID")->SetAsLong(id);
        sql->ExecQuery();
        return sql->Eof() ? u"<none>" : sql->Fields(0)->AsString();
    }
};

INSTANTIATE_TEST_SUITE_P(Setups, StatementCacheTest,
                         ::testing::Values(TSQLSetup{TAccess::Embedded, 3, u""},
                                           TSQLSetup{TAccess::Server, 1, u"UTF8"}),
                         [](const auto& info) { return SQLSetupName(info.param); });

TEST_P(StatementCacheTest, ATextPreparedAgainTakesItsStatementBack) {
    EXPECT_EQ(Name(1), u"one"); // its cursor is left open
    const isc_stmt_handle select = sql->Handle();
    Prepare(u"UPDATE T SET NAME = :NAME WHERE ID = :ID");
    const isc_stmt_handle update = sql->Handle();
    EXPECT_EQ(Kept(), 1u);
    sql->ParamByName(u"NAME")->SetAsString(u"uno");
    sql->ParamByName(u"ID")->SetAsLong(1);
    sql->ExecQuery();
    EXPECT_EQ(sql->RowsAffected(), 1);

    // Back to the select: the same server statement, described as before, cursor closed.
    EXPECT_EQ(Name(1), u"uno");
    EXPECT_EQ(sql->Handle(), select);
    EXPECT_EQ(sql->SQLType(), SQLSelect);
    EXPECT_EQ(sql->Params()->Count(), 1);
    EXPECT_EQ(sql->Current()->Count(), 1);
    Prepare(u"UPDATE T SET NAME = :NAME WHERE ID = :ID");
    EXPECT_EQ(sql->Handle(), update);
    EXPECT_EQ(sql->SQLType(), SQLUpdate);
    EXPECT_EQ(sql->Current()->Count(), 0);

    // The switch off drops what is kept and keeps nothing more.
    base.SetKeepStatements(false);
    EXPECT_EQ(TIBStatementCache::Of(base), nullptr);
    EXPECT_EQ(Name(1), u"uno");
    Prepare(u"SELECT 1 FROM RDB$DATABASE");
    base.SetKeepStatements(true);
    EXPECT_EQ(Kept(), 0u);

    // A closed connection keeps nothing: the next attachment prepares anew.
    EXPECT_EQ(Name(1), u"uno");
    Prepare(u"SELECT 1 FROM RDB$DATABASE");
    EXPECT_EQ(Kept(), 1u);
    sql.reset(); // a statement going away leaves its server statement too
    EXPECT_EQ(Kept(), 2u);
    base.Close();
    base.Open();
    tr.StartTransaction();
    sql = std::make_unique<TIBSQL>();
    sql->SetDatabase(&base);
    EXPECT_EQ(Kept(), 0u);
    EXPECT_EQ(Name(1), u"uno");
}

TEST_P(StatementCacheTest, ATakenStatementComesAsDescribedUnderTheTextsOwnNames) {
    // A value given as text retypes the variable; the kept description is the server's.
    Prepare(u"SELECT NAME FROM T WHERE ID = :ID");
    const int described = sql->ParamByName(u"ID")->SQLType();
    sql->ParamByName(u"ID")->SetAsString(u"1");
    ASSERT_NE(sql->ParamByName(u"ID")->SQLType(), described);
    sql->ExecQuery();
    sql->Close();
    const isc_stmt_handle select = sql->Handle();

    // Another text sent as the same bytes: the same statement, this text's marker names.
    Prepare(u"SELECT NAME FROM T WHERE ID = :CODE");
    EXPECT_EQ(sql->Handle(), select);
    EXPECT_EQ(sql->ParamByName(u"ID"), nullptr);
    ASSERT_NE(sql->ParamByName(u"CODE"), nullptr);
    EXPECT_EQ(sql->ParamByName(u"CODE")->SQLType(), described);
    sql->ParamByName(u"CODE")->SetAsLong(1);
    sql->ExecQuery();
    EXPECT_EQ(sql->FieldByName(u"NAME")->AsString(), u"one");
}

TEST_P(StatementCacheTest, BoundedAndNeverHoldingFailuresOrOpenCursors) {
    for (int i = 0; i < 40; ++i)
        Prepare(u"SELECT " + IntToStr(i) + u" FROM RDB$DATABASE");
    EXPECT_EQ(Kept(), TIBStatementCache::DefaultCapacity);
    // The oldest texts were dropped on the server; preparing one again still works.
    EXPECT_EQ(Run(u"SELECT 0 FROM RDB$DATABASE").Fields(0)->AsLong(), 0);

    Prepare(u"SELECT 1 FROM RDB$DATABASE");
    base.SetKeepStatements(false);
    base.SetKeepStatements(true);
    EXPECT_THROW(Prepare(u"SELECT NOPE FROM T"), EIBInterBaseError);
    EXPECT_FALSE(sql->Prepared());
    EXPECT_EQ(Kept(), 1u); // the text before it, not the one that failed
    EXPECT_EQ(Name(1), u"one");
    sql->FreeHandle(); // with its cursor open: dropped
    EXPECT_EQ(Kept(), 1u);
    EXPECT_EQ(Name(1), u"one");
    sql->Close();
    sql->FreeHandle();
    EXPECT_EQ(Kept(), 2u);
}

// A kept statement the client library no longer has is prepared anew, unseen by the caller.
TEST_P(StatementCacheTest, AStatementTheServerGaveUpIsPreparedAnew) {
    Prepare(u"UPDATE T SET NAME = :NAME WHERE ID = :ID");
    isc_stmt_handle update = sql->Handle();
    EXPECT_EQ(Name(1), u"one");
    isc_stmt_handle select = sql->Handle();
    Prepare(u"SELECT 1 FROM RDB$DATABASE");
    for (isc_stmt_handle* stale : {&update, &select})
        ASSERT_EQ(Client().isc_dsql_free_statement(ThreadStatusVector(), stale, DSQL_drop), 0);

    Prepare(u"UPDATE T SET NAME = :NAME WHERE ID = :ID");
    sql->ParamByName(u"NAME")->SetAsString(u"uno");
    sql->ParamByName(u"ID")->SetAsLong(1);
    sql->ExecQuery();
    EXPECT_EQ(sql->RowsAffected(), 1);
    EXPECT_EQ(Name(1), u"uno");
}

// A kept statement whose handle the client library no longer knows (as after the server
// let it go) fails at its execution: it is prepared anew and run once, within the same
// connection; prepared anew with other columns, it is refused rather than run with the old.
TEST_P(StatementCacheTest, AStaleKeptStatementIsPreparedAnewAndRunOnce) {
    Schema("CREATE TABLE C (N INTEGER)");
    // Runs text, then leaves its kept statement holding a handle the client library has let
    // go.
    const auto runAndMakeStale = [&](const String& text) {
        const String source = Run(text).SQL().Text();
        Prepare(u"SELECT 1 FROM RDB$DATABASE");
        TIBStatementCell cell = std::make_unique<isc_stmt_handle>(0);
        TIBPreparedShape shape;
        ASSERT_TRUE(TIBStatementCache::Of(base)->Take(source, true, false, Dialect(), cell, shape));
        isc_stmt_handle copy = *cell;
        const isc_stmt_handle stale = copy;
        ASSERT_EQ(Client().isc_dsql_free_statement(ThreadStatusVector(), &copy, DSQL_drop), 0);
        *cell = stale;
        TIBStatementCache::Of(base)->Keep(cell, std::move(shape));
    };
    const String insert = u"INSERT INTO C VALUES (1)";
    runAndMakeStale(insert);
    Run(insert);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM C").AsLong(), 2);

    const String select = u"SELECT * FROM C";
    runAndMakeStale(select);
    Schema("ALTER TABLE C ADD M INTEGER");
    Prepare(select);
    try {
        sql->ExecQuery();
        ADD_FAILURE() << "a statement prepared anew with another column ran";
    } catch (const EIBClientError& e) {
        EXPECT_EQ(e.SQLCode(), ibxeColumnListsDontMatch);
    }
    EXPECT_FALSE(sql->Prepared());
}

// Another connection changing what a kept statement uses does not make the server give it
// up: Firebird runs it as prepared (the old body of a procedure), so it is run once, on the
// same server statement, and never prepared again behind the caller's back.
TEST_P(StatementCacheTest, AKeptStatementRunsOnceAcrossAnotherConnectionsChange) {
    Schema("CREATE TABLE C (N INTEGER)");
    Schema("INSERT INTO C VALUES (0)");
    Schema("CREATE PROCEDURE P AS BEGIN UPDATE C SET N = N + 1; END");
    Run(u"EXECUTE PROCEDURE P");
    const isc_stmt_handle kept = sql->Handle();
    Prepare(u"SELECT 1 FROM RDB$DATABASE");
    for (const char* change : {"ALTER PROCEDURE P AS BEGIN UPDATE C SET N = N + 100; END",
                               "ALTER TABLE C ADD M INTEGER", "ALTER TABLE C DROP M"}) {
        SCOPED_TRACE(change);
        Schema(change);
        Run(u"EXECUTE PROCEDURE P");
        EXPECT_EQ(sql->Handle(), kept);
        Prepare(u"SELECT 1 FROM RDB$DATABASE");
    }
    EXPECT_EQ(Value(u"SELECT N FROM C").AsLong(), 4);
}

} // namespace
} // namespace ortavo::test
