// The statement and value tests' fixture.
#include "SQLTestFixture.h"

namespace ortavo::test {

std::string SQLSetupName(const TSQLSetup& setup) {
    std::string name = AccessName(setup.Access) + "Dialect" + std::to_string(setup.Dialect);
    name += setup.CharacterSet[0] ? ToUtf8(setup.CharacterSet) : std::string("None");
    return name;
}

void SQLFixture::SetUp() {
    db = std::make_unique<TTestDatabase>(GetParam().Access, GetParam().Dialect);
    db->Configure(base);
    if (GetParam().CharacterSet[0])
        base.Params().Add(String(u"lc_ctype=") + GetParam().CharacterSet);
    base.SetSQLDialect(GetParam().Dialect);
    base.SetDefaultTransaction(&tr);
    base.Open();
    sql = std::make_unique<TIBSQL>();
    sql->SetDatabase(&base);
    tr.StartTransaction();
}

void SQLFixture::TearDown() {
    sql.reset();
    if (tr.InTransaction())
        tr.Rollback();
    base.Close();
}

void SQLFixture::Schema(const std::string& statement) {
    db->Execute(statement);
    tr.Commit();
    tr.StartTransaction();
}

TIBSQL& SQLFixture::Prepare(const String& text) {
    if (sql->Open())
        sql->Close();
    sql->SQL().SetText(text);
    sql->Prepare();
    return *sql;
}

TIBSQL& SQLFixture::Run(const String& text) {
    Prepare(text).ExecQuery();
    return *sql;
}

TIBXSQLVAR& SQLFixture::Value(const String& select) {
    Run(select);
    EXPECT_FALSE(sql->Eof());
    return *sql->Fields(0);
}

} // namespace ortavo::test
