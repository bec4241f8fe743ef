// Statements against a real Firebird: preparation, execution by type, cursors, rows
// affected, procedures, and what connection and transaction ends do to a statement.
#include "SQLTestFixture.h"

namespace ortavo::test {
namespace {

class SQLStatementTest : public SQLFixture {
protected:
    void SetUp() override {
        SQLFixture::SetUp();
        db->Execute("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(20))");
        db->Execute("INSERT INTO T VALUES (1, 'one')");
        db->Execute("INSERT INTO T VALUES (2, 'two')");
        db->Execute("INSERT INTO T VALUES (3, 'three')");
        tr.Commit();
        tr.StartTransaction();
    }
};

INSTANTIATE_TEST_SUITE_P(Setups, SQLStatementTest,
                         ::testing::Values(TSQLSetup{TAccess::Embedded, 3, u""},
                                           TSQLSetup{TAccess::Server, 3, u"UTF8"},
                                           TSQLSetup{TAccess::Embedded, 1, u"WIN1252"}),
                         [](const auto& info) { return SQLSetupName(info.param); });

TEST_P(SQLStatementTest, SelectWalksItsCursor) {
    Prepare(u"SELECT ID, NAME FROM T WHERE ID >= :LOW AND NAME <> :name ORDER BY ID");
    EXPECT_EQ(sql->SQLType(), SQLSelect);
    EXPECT_EQ(sql->ProcessedSQL().Text(),
              u"SELECT ID, NAME FROM T WHERE ID >= ? AND NAME <> ? ORDER BY ID\r\n");
    ASSERT_EQ(sql->Params()->Count(), 2);
    EXPECT_EQ(sql->Params()->Vars(1)->Name(), u"NAME");
    EXPECT_NE(sql->Handle(), 0u);
    sql->ParamByName(u"LOW")->SetAsLong(2);
    sql->ParamByName(u"NAME")->SetAsString(u"x");
    sql->ExecQuery();
    EXPECT_TRUE(sql->Open());
    EXPECT_EQ(sql->RecordCount(), 1);
    EXPECT_FALSE(sql->Bof());
    EXPECT_EQ(sql->FieldByName(u"name")->AsString(), u"two");
    EXPECT_EQ(sql->RowsAffected(), -1);
    ExpectClientError([&] { sql->ExecQuery(); }, 31, u"IBSQL Open");
    ExpectClientError([&] { sql->Prepare(); }, 31, u"IBSQL Open");
    ASSERT_NE(sql->Next(), nullptr);
    EXPECT_EQ(sql->Fields(0)->AsLong(), 3);
    EXPECT_EQ(sql->Next(), nullptr);
    EXPECT_TRUE(sql->Eof());
    EXPECT_EQ(sql->RecordCount(), 2);
    sql->Close();
    EXPECT_FALSE(sql->Open());
    EXPECT_TRUE(sql->Prepared());
    ExpectClientError([&] { sql->Next(); }, 32, u"IBSQL Closed");

    // Run again on the same prepared statement without going to the first row.
    sql->SetGoToFirstRecordOnExecute(false);
    sql->ParamByName(u"LOW")->SetAsLong(1);
    sql->ExecQuery();
    EXPECT_TRUE(sql->Bof());
    EXPECT_EQ(sql->RecordCount(), 0);
    ASSERT_NE(sql->Next(), nullptr);
    EXPECT_EQ(sql->Fields(0)->AsLong(), 1);
}

TEST_P(SQLStatementTest, WritesReportTheRowsTheyTouched) {
    Run(u"INSERT INTO T (ID, NAME) VALUES (4, 'four')");
    EXPECT_EQ(sql->SQLType(), SQLInsert);
    EXPECT_EQ(sql->RowsAffected(), 1);
    Run(u"UPDATE T SET NAME = NAME || '!' WHERE ID > 1");
    EXPECT_EQ(sql->SQLType(), SQLUpdate);
    EXPECT_EQ(sql->RowsAffected(), 3);
    Run(u"DELETE FROM T WHERE ID < 3");
    EXPECT_EQ(sql->SQLType(), SQLDelete);
    EXPECT_EQ(sql->RowsAffected(), 2);
    Run(u"CREATE TABLE U (X INTEGER)");
    EXPECT_EQ(sql->SQLType(), SQLDDL);
    EXPECT_EQ(sql->RowsAffected(), -1);
    tr.Commit();
    EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM T"), 2);
    EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM U"), 0);
}

TEST_P(SQLStatementTest, ProceduresRunSelectableAndExecutable) {
    db->Execute("CREATE PROCEDURE TWICE (X INTEGER) RETURNS (Y INTEGER, Z VARCHAR(10)) AS "
                "BEGIN Y = X * 2; Z = 'ok'; END");
    db->Execute("CREATE PROCEDURE UPTO (N INTEGER) RETURNS (I INTEGER) AS "
                "BEGIN I = 1; WHILE (I <= N) DO BEGIN SUSPEND; I = I + 1; END END");
    tr.Commit();
    tr.StartTransaction();
    Run(u"EXECUTE PROCEDURE TWICE(21)");
    EXPECT_EQ(sql->SQLType(), SQLExecProcedure);
    EXPECT_EQ(sql->Params()->Count(), 0);
    EXPECT_FALSE(sql->Open());
    EXPECT_EQ(sql->Current()->Count(), 2);
    EXPECT_EQ(sql->FieldByName(u"Y")->AsLong(), 42);
    EXPECT_EQ(sql->FieldByName(u"Z")->AsString(), u"ok");

    Prepare(u"SELECT I FROM UPTO(:N)");
    sql->ParamByName(u"N")->SetAsLong(3);
    sql->ExecQuery();
    int sum = 0;
    while (!sql->Eof()) {
        sum += sql->Fields(0)->AsLong();
        sql->Next();
    }
    EXPECT_EQ(sum, 6);
}

TEST_P(SQLStatementTest, RefusalsAndFailedPreparesLeaveNoHandle) {
    ExpectClientError([&] { Prepare(u"   "); }, 42, u"Empty query");
    EXPECT_THROW(Prepare(u"SELECT NOPE FROM T"), EIBInterBaseError);
    EXPECT_FALSE(sql->Prepared());
    EXPECT_EQ(sql->Handle(), 0u);
    ExpectClientError([&] { Prepare(u"SET TRANSACTION"); }, 5, u"Not permitted");
    EXPECT_EQ(sql->Handle(), 0u);
    ExpectClientError([&] { Prepare(u"SELECT * FROM T WHERE ID = : "); }, 55,
                      u"SQL Parse Error:\r\n\r\nParameter name expected");

    Prepare(u"SELECT ID FROM T");
    const isc_stmt_handle handle = sql->Handle();
    sql->Prepare(); // already prepared: nothing happens
    EXPECT_EQ(sql->Handle(), handle);
    int changing = 0;
    sql->OnSQLChanging = [&](TIBSQL&) { ++changing; };
    sql->SQL().SetText(u"SELECT NAME FROM T");
    EXPECT_EQ(changing, 1);
    EXPECT_FALSE(sql->Prepared());
    EXPECT_EQ(sql->Handle(), 0u);

    TIBSQL orphan;
    ExpectClientError(
        [&] {
            orphan.SQL().SetText(u"SELECT 1 FROM RDB$DATABASE");
            orphan.Prepare();
        },
        24, u"Database not assigned");
    tr.Commit();
    ExpectClientError([&] { sql->Prepare(); }, 18, u"Transaction is not active");
}

TEST_P(SQLStatementTest, ConnectionAndTransactionEndsReachTheStatement) {
    Run(u"SELECT ID FROM T ORDER BY ID");
    tr.CommitRetaining();
    EXPECT_TRUE(sql->Open());
    ASSERT_NE(sql->Next(), nullptr);
    EXPECT_EQ(sql->Fields(0)->AsLong(), 2);
    tr.Commit();
    EXPECT_FALSE(sql->Open());
    EXPECT_TRUE(sql->Prepared());

    // Reading the parameters of an unprepared statement leaves no transaction open.
    sql->SQL().SetText(u"SELECT ID FROM T WHERE ID = :ID");
    EXPECT_EQ(sql->Params()->Count(), 1);
    EXPECT_TRUE(sql->Prepared());
    EXPECT_FALSE(tr.InTransaction());

    tr.StartTransaction();
    sql->ExecQuery();
    base.Close();
    EXPECT_FALSE(sql->Open());
    EXPECT_FALSE(sql->Prepared());
    EXPECT_EQ(sql->Handle(), 0u);
    base.Open();
    tr.StartTransaction();
    sql->ParamByName(u"ID")->SetAsLong(3);
    sql->ExecQuery();
    EXPECT_EQ(sql->Fields(0)->AsLong(), 3);

    // A statement owned by its transaction takes it and its database.
    auto* owned = new TIBSQL(&tr);
    EXPECT_EQ(owned->Transaction(), &tr);
    EXPECT_EQ(owned->Database(), &base);
}

} // namespace
} // namespace ortavo::test
