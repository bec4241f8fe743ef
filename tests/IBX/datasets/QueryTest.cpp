// The query as the reconciliation run drives it, against the embedded engine and the
// server: text changes, parameters, Open, FetchAll, RecordCount, ExecSQL, and its errors.
#include "QueryFixture.h"
#include "Regional.h"

#include "IBX/statements/IBSQL.h"
#include "base/DateTime.h"
#include "data/DatabaseError.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ortavo::test {
namespace {

class QueryTest : public ::testing::TestWithParam<TAccess>, public QueryFixture {
protected:
    QueryTest() : QueryFixture(GetParam()) {}

    void SetUp() override {
        db->Execute("CREATE TABLE FILIAIS (FL_CODIGO INTEGER NOT NULL PRIMARY KEY, "
                    "FL_CNPJ VARCHAR(14))");
        db->Execute("CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER NOT NULL PRIMARY KEY, "
                    "PAI_FILIAL INTEGER, PAI_IMPRESSORA VARCHAR(20), PAI_DTEMISSAO DATE, "
                    "PAI_DOCUMENTO VARCHAR(6), PAI_DESCONTO NUMERIC(15,2), "
                    "PAI_ACRESCIMO NUMERIC(15,2), PAI_ESTADO CHAR(1))");
        db->Execute("CREATE TABLE LOG_INICIO (ARG CHAR(1))");
        db->Execute("CREATE PROCEDURE INICIA_APLICACAO (X CHAR(1)) AS BEGIN "
                    "INSERT INTO LOG_INICIO VALUES (:X); END");
        db->Execute("INSERT INTO FILIAIS VALUES (7, '12345678000190')");
        db->Execute("INSERT INTO MVTO_PAI VALUES (101, 7, 'BE0123456789', '2024-03-05', "
                    "'000042', 1.50, 0, NULL)");
    }
};

INSTANTIATE_TEST_SUITE_P(Access, QueryTest, ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(QueryTest, TheRunsStatementsInTurn) {
    OpenAll(u"SELECT FL_CODIGO FROM FILIAIS WHERE FL_CNPJ = '12345678000190'");
    ASSERT_EQ(query.RecordCount(), 1);
    const String branch = query.FieldByName(u"FL_CODIGO").AsString();
    EXPECT_EQ(branch, u"7");

    Exec(u"EXECUTE PROCEDURE INICIA_APLICACAO('X')");
    EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM LOG_INICIO WHERE ARG = 'X'"), 1);

    SetText(u"SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE PAI_FILIAL = "
            u":FILIAL AND PAI_IMPRESSORA = :ECF AND PAI_DTEMISSAO = :DTEMISSAO AND "
            u"PAI_DOCUMENTO = :DOCUMENTO ");
    query.ParamByName(u"FILIAL").SetAsString(branch);
    query.ParamByName(u"ECF").SetAsString(u"BE0123456789");
    query.ParamByName(u"DTEMISSAO").SetAsDate(EncodeDate(2024, 3, 5));
    query.ParamByName(u"DOCUMENTO").SetAsString(u"000042");
    query.Open();
    query.FetchAll();
    ASSERT_EQ(query.RecordCount(), 1);
    const int sequence = query.FieldByName(u"PAI_SEQU").AsInteger();
    EXPECT_EQ(sequence, 101);
    EXPECT_EQ(query.FieldByName(u"PAI_DESCONTO").AsFloat(), 150 / 100.0);
    EXPECT_EQ(query.FieldByName(u"PAI_ACRESCIMO").AsFloat(), 0.0);

    SetText(u"UPDATE MVTO_PAI SET PAI_ACRESCIMO = :ACRESCIMO, PAI_DESCONTO = :DESCONTO WHERE "
            u"PAI_SEQU = :SEQUENCIAL");
    query.ParamByName(u"SEQUENCIAL").SetAsInteger(sequence);
    query.ParamByName(u"ACRESCIMO").SetAsFloat(25 / 100.0);
    query.ParamByName(u"DESCONTO").SetAsFloat(199 / 100.0);
    query.ExecSQL();
    tr.CommitRetaining();
    // The count is asked of the statement when read, after the commit as before it.
    EXPECT_EQ(query.RowsAffected(), 1);
    Exec(u"UPDATE MVTO_PAI SET PAI_ESTADO = 'P' WHERE PAI_SEQU = 101");
    EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM MVTO_PAI WHERE PAI_ESTADO = 'P' AND "
                           "PAI_DESCONTO = 1.99 AND PAI_ACRESCIMO = 0.25"),
              1);
    // The transaction stays active across statements until the connection closes.
    EXPECT_TRUE(tr.InTransaction());
}

TEST_P(QueryTest, ParametersBindByPositionAndConvertOnTheServer) {
    const ScopedFormatSettings dot{ortavo::testing::WithDecimalSeparator(u'.')};
    // Text into an integer column, a date into a timestamp, a never-set parameter as null.
    db->Execute("CREATE TABLE P (I INTEGER, C CHAR(3), TS TIMESTAMP, N NUMERIC(9,2), X INTEGER)");
    SetText(u"INSERT INTO P VALUES (:I, :C, :TS, :N, :X)");
    query.ParamByName(u"i").SetAsString(u"0010");
    query.ParamByName(u"C").SetAsString(u"ab");
    query.ParamByName(u"TS").SetAsDate(EncodeDate(2023, 12, 31));
    query.ParamByName(u"N").SetAsFloat(-0.05);
    query.ExecSQL();
    OpenAll(u"SELECT I, C, TS, N, X FROM P");
    EXPECT_EQ(query.FieldByName(u"I").AsInteger(), 10);
    EXPECT_EQ(query.FieldByName(u"C").AsString(), u"ab ");
    EXPECT_EQ(query.FieldByName(u"TS").AsDateTime(), EncodeDate(2023, 12, 31));
    EXPECT_EQ(query.FieldByName(u"N").AsString(), u"-0.05");
    EXPECT_TRUE(query.FieldByName(u"X").IsNull());
    EXPECT_EQ(query.FieldByName(u"X").AsInteger(), 0);
    EXPECT_EQ(query.FieldByName(u"X").AsString(), u"");

    // Values survive a change of the text for parameters of the same name; clearing the
    // text first empties the list.
    SetText(u"SELECT COUNT(*) AS N FROM P WHERE I = :I");
    query.ParamByName(u"I").SetAsInteger(10);
    query.SQL().Add(u"OR :other IS NULL");
    EXPECT_EQ(query.ParamByName(u"I").AsInteger(), 10);
    EXPECT_TRUE(query.ParamByName(u"OTHER").IsNull());
    query.Open();
    EXPECT_EQ(query.FieldByName(u"N").AsInteger(), 1);
    SetText(u"SELECT COUNT(*) AS N FROM P WHERE I = :I");
    EXPECT_TRUE(query.ParamByName(u"I").IsNull());
}

TEST_P(QueryTest, RecordCountFollowsTheFetchesAndTheCacheGrowsByChunks) {
    db->Execute("CREATE TABLE R (ID INTEGER, NAME VARCHAR(10))");
    db->Execute("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 2500) DO BEGIN "
                "INSERT INTO R VALUES (:I, 'n' || :I); I = I + 1; END END");
    SetText(u"SELECT ID, NAME FROM R ORDER BY ID");
    query.Open();
    EXPECT_EQ(query.RecordCount(), 1);
    const std::size_t chunk = query.CacheSize();
    EXPECT_EQ(chunk, static_cast<std::size_t>(query.RecordBufferSize()) * 1000);
    EXPECT_EQ(query.OldCacheSize(), chunk);
    query.FetchAll();
    EXPECT_EQ(query.RecordCount(), 2500);
    EXPECT_EQ(query.CacheSize(), 3 * chunk);
    // FetchAll comes back to the first row, and every row kept its place.
    EXPECT_EQ(query.FieldByName(u"ID").AsInteger(), 0);
    int expected = 0;
    for (query.First(); !query.Eof(); query.Next(), ++expected)
        ASSERT_EQ(query.FieldByName(u"NAME").AsString(), u"n" + IntToStr(expected));
    EXPECT_EQ(expected, 2500);
    query.Close();
    EXPECT_EQ(query.CacheSize(), 0u);
    EXPECT_EQ(query.RecordCount(), 0);

    OpenAll(u"SELECT ID FROM R WHERE ID < 0");
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.FieldByName(u"ID").IsNull());
}

TEST_P(QueryTest, ReplacingTheTextClosesAndUnprepares) {
    OpenAll(u"SELECT FL_CODIGO FROM FILIAIS");
    EXPECT_TRUE(query.Active());
    query.SQL().Add(u"WHERE FL_CODIGO = 7");
    EXPECT_FALSE(query.Active());
    EXPECT_FALSE(query.Prepared());
    query.Open();
    EXPECT_EQ(query.FieldByName(u"FL_CODIGO").AsInteger(), 7);
    // Clearing the text closes, and the statement and the parameters follow the empty text.
    query.SQL().Add(u"AND FL_CODIGO = :CODE");
    EXPECT_EQ(query.Params().Count(), 1);
    query.Open();
    query.SQL().Clear();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.Params().Count(), 0);
    EXPECT_EQ(query.QSelect().SQL().Text(), u"");
    ExpectClientError([&] { query.Prepare(); }, 65, u"Empty SQL Statement");
}

TEST_P(QueryTest, StatementsAsPeopleWriteThem) {
    // Markers in comments, strings and quoted names are no parameters, for the query and
    // for its statement alike.
    OpenAll(u"SELECT 1 AS X FROM RDB$DATABASE /* :a */");
    EXPECT_EQ(query.FieldByName(u"X").AsInteger(), 1);
    OpenAll(u"SELECT 2 AS \"X:Y\", ':b' AS Z FROM RDB$DATABASE -- note: x");
    EXPECT_EQ(query.FieldByName(u"X:Y").AsInteger(), 2);
    EXPECT_EQ(query.Params().Count(), 0);
    // Selects that lock their rows open like any other.
    SetText(u"SELECT FL_CODIGO FROM FILIAIS -- :NOTE\r\nWHERE FL_CODIGO = :C FOR UPDATE");
    query.ParamByName(u"C").SetAsInteger(7);
    query.Open();
    EXPECT_EQ(query.FieldByName(u"FL_CODIGO").AsInteger(), 7);
    OpenAll(u"SELECT FL_CODIGO FROM FILIAIS WITH LOCK");
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.FieldByName(u"FL_CODIGO").AsInteger(), 7);
}

TEST_P(QueryTest, ErrorsCarryTheirTexts) {
    ExpectClientError([&] { query.ExecSQL(); }, 65, u"Empty SQL Statement");
    SetText(u"SELECT FL_CODIGO FROM FILIAIS");
    query.Open();
    ExpectClientError([&] { query.Prepare(); }, 33, u"Dataset open");
    ExpectClientError([&] { query.SetUniDirectional(true); }, 33, u"Dataset open");
    try {
        query.ExecSQL();
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"Query: Cannot perform this operation on an open dataset");
    }
    try {
        query.FieldByName(u"FL_CNPJ");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"Query: Field 'FL_CNPJ' not found");
    }
    try {
        query.ParamByName(u"FILIAL");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"Query: Parameter 'FILIAL' not found");
    }
    // A text field shorter than its data.
    query.FieldByName(u"FL_CODIGO");
    SetText(u"SELECT FL_CNPJ FROM FILIAIS");
    query.Open();
    query.FieldByName(u"FL_CNPJ").SetSize(4);
    ExpectClientError([&] { query.FieldByName(u"FL_CNPJ").AsString(); }, 117,
                      u"Size Mismatch - Field FL_CNPJ size is too small for data");

    SetText(u"SELECT FL_CODIGO FROM FILIAIS WHERE FL_CODIGO = :C");
    TParam& param = query.ParamByName(u"C");
    param.SetAsString(u"7");
    param.SetDataType(ftGuid);
    ExpectClientError([&] { query.Open(); }, 4, u"Unsupported feature");
    EXPECT_FALSE(query.Active());

    TIBQuery lone;
    lone.SQL().Add(u"SELECT 1 FROM RDB$DATABASE");
    ExpectClientError([&] { lone.Open(); }, 24, u"Database not assigned");
    lone.SetDatabase(&base);
    lone.SetTransaction(nullptr);
    ExpectClientError([&] { lone.ExecSQL(); }, 25, u"Transaction not assigned");
}

TEST_P(QueryTest, ServerErrorsLeaveTheQueryClosedAndUsable) {
    SetText(u"SELECT NO_SUCH_COLUMN FROM FILIAIS");
    EXPECT_THROW(query.Open(), EIBInterBaseError);
    EXPECT_FALSE(query.Active());
    OpenAll(u"SELECT FL_CODIGO FROM FILIAIS");
    EXPECT_EQ(query.RecordCount(), 1);
}

TEST_P(QueryTest, UniDirectionalKeepsTwoRows) {
    db->Execute("CREATE TABLE R (ID INTEGER)");
    db->Execute("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 50) DO BEGIN "
                "INSERT INTO R VALUES (:I); I = I + 1; END END");
    query.SetCachedUpdates(false);
    query.SetUniDirectional(true);
    SetText(u"SELECT ID FROM R ORDER BY ID");
    query.Open();
    EXPECT_EQ(query.CacheSize(), 2u * static_cast<std::size_t>(query.RecordBufferSize()));
    EXPECT_EQ(query.OldCacheSize(), 0u);
    int expected = 0;
    for (; !query.Eof(); query.Next(), ++expected)
        ASSERT_EQ(query.FieldByName(u"ID").AsInteger(), expected);
    EXPECT_EQ(expected, 50);
    EXPECT_EQ(query.CacheSize(), 2u * static_cast<std::size_t>(query.RecordBufferSize()));
}

TEST_P(QueryTest, KeysCountsAndStatementsThatReturnNoRows) {
    // The dataset's own key column gives no field and lands in the record's header.
    OpenAll(u"SELECT RDB$DB_KEY AS IBX_INTERNAL_DBKEY, FL_CODIGO FROM FILIAIS");
    ASSERT_EQ(query.Fields().Count(), 1);
    EXPECT_EQ(query.Fields()[0].FieldNo(), 2);
    EXPECT_EQ(query.FieldByName(u"FL_CODIGO").AsInteger(), 7);
    std::int64_t key = 0;
    std::memcpy(&key, query.CurrentRecordBuffer() + 16, sizeof key);
    EXPECT_NE(key, 0);
    EXPECT_EQ(query.RowsAffected(), -1);

    Exec(u"CREATE TABLE Z (A INTEGER)");
    SetText(u"INSERT INTO Z SELECT FL_CODIGO FROM FILIAIS UNION ALL SELECT 8 FROM RDB$DATABASE");
    query.ExecSQL();
    EXPECT_EQ(query.RowsAffected(), 2);
    SetText(u"UPDATE Z SET A = A WHERE A = 7");
    query.ExecSQL();
    SetText(u"DELETE FROM Z WHERE A = :\"the value\"");
    EXPECT_EQ(query.RowsAffected(), -1); // not read while it could be
    EXPECT_EQ(query.Params()[0].Name(), u"the value");
    query.ParamByName(u"THE VALUE").SetAsInteger(8);
    query.ExecSQL();
    EXPECT_EQ(query.RowsAffected(), 1);
    // A never-set parameter goes as null and matches nothing.
    SetText(u"DELETE FROM Z WHERE A = :A");
    query.ExecSQL();
    EXPECT_EQ(query.RowsAffected(), 0);
}

TEST_P(QueryTest, AQueryReadFromALayoutBuildsItsParametersWhenAsked) {
    TIBQuery loaded;
    loaded.BeginLoading();
    loaded.SQL().Add(u"SELECT FL_CNPJ FROM FILIAIS WHERE FL_CODIGO = :CODE");
    EXPECT_EQ(loaded.Params().Count(), 0);
    EXPECT_EQ(loaded.Text(), u"SELECT FL_CNPJ FROM FILIAIS WHERE FL_CODIGO = ?\r\n");
    loaded.Loaded();
    loaded.SetDatabase(&base);
    loaded.SetTransaction(&tr);
    loaded.ParamByName(u"code").SetAsInteger(7);
    loaded.Open();
    EXPECT_EQ(loaded.FieldByName(u"FL_CNPJ").AsString(), u"12345678000190");
}

} // namespace
} // namespace ortavo::test
