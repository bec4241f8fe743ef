// The schema cache: what it learns of computed, defaulted and key columns, when it reads
// the system tables, and how connections share it.
#include "QueryFixture.h"

#include "IBX/datasets/IBSchema.h"

#include <gtest/gtest.h>

namespace ortavo::test {
namespace {

class SchemaTest : public ::testing::TestWithParam<TAccess>, public QueryFixture {
protected:
    SchemaTest() : QueryFixture(GetParam()) {}

    void SetUp() override {
        db->Execute("CREATE DOMAIN D_FIVE AS INTEGER DEFAULT 5");
        db->Execute("CREATE TABLE S (ID INTEGER NOT NULL, K2 INTEGER NOT NULL, "
                    "PLAIN INTEGER NOT NULL, DOM D_FIVE NOT NULL, COL INTEGER DEFAULT 1 NOT NULL, "
                    "BOTH_ D_FIVE DEFAULT 6, TWICE COMPUTED BY (ID * 2), "
                    "PRIMARY KEY (ID, K2))");
        db->Execute("CREATE TABLE OTHER (X INTEGER)");
        db->Execute("INSERT INTO S (ID, K2, PLAIN, DOM, COL) VALUES (21, 1, 0, 0, 0)");
        base.Open();
    }

    TSchema& Schema() { return dynamic_cast<TSchema&>(*base.Schema()); }
};

INSTANTIATE_TEST_SUITE_P(Access, SchemaTest, ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(SchemaTest, AnswersLearntOncePerTable) {
    const int before = Schema().LearnCount();
    EXPECT_TRUE(base.In_Key(u"S", u"ID"));
    EXPECT_TRUE(base.In_Key(u"S", u"K2"));
    EXPECT_FALSE(base.In_Key(u"S", u"PLAIN"));
    EXPECT_TRUE(base.Has_DEFAULT_VALUE(u"S", u"DOM"));
    EXPECT_TRUE(base.Has_DEFAULT_VALUE(u"S", u"COL"));
    EXPECT_TRUE(base.Has_DEFAULT_VALUE(u"S", u"BOTH_"));
    EXPECT_FALSE(base.Has_DEFAULT_VALUE(u"S", u"PLAIN"));
    EXPECT_TRUE(base.Has_COMPUTED_BLR(u"S", u"TWICE"));
    EXPECT_FALSE(base.Has_COMPUTED_BLR(u"S", u"ID"));
    EXPECT_EQ(Schema().LearnCount(), before + 1);
    EXPECT_FALSE(base.Has_COMPUTED_BLR(u"", u"ID"));
    EXPECT_EQ(Schema().LearnCount(), before + 2);
    // The learning's statements let go of the connection.
    EXPECT_FALSE(base.InternalTransaction()->InTransaction());

    base.FlushSchema();
    EXPECT_TRUE(base.In_Key(u"S", u"ID"));
    EXPECT_EQ(Schema().LearnCount(), before + 3);
}

TEST_P(SchemaTest, DatasetsAskWhileBuildingTheirFields) {
    const int before = Schema().LearnCount();
    OpenAll(u"SELECT ID, PLAIN, COL, TWICE FROM S");
    EXPECT_EQ(Schema().LearnCount(), before + 1);
    EXPECT_TRUE(query.FieldByName(u"PLAIN").Required());
    EXPECT_FALSE(query.FieldByName(u"COL").Required());
    // A computed column is read-only, and read from its row like any other.
    TField& twice = query.FieldByName(u"TWICE");
    EXPECT_TRUE(twice.ReadOnly());
    EXPECT_EQ(twice.FieldKind(), TFieldKind::fkInternalCalc);
    EXPECT_EQ(twice.AsInteger(), 42);
    EXPECT_TRUE(query.ForcedRefresh());
    OpenAll(u"SELECT ID, TWICE FROM S");
    EXPECT_EQ(Schema().LearnCount(), before + 1);
}

TEST_P(SchemaTest, ConnectionsToTheSameNameShareOneSchema) {
    String name = db->Name();
    for (char16_t& c : name)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
    // A name in other letters is the same schema.
    EXPECT_EQ(SchemaRegistry::Lookup(name).get(), base.Schema());
    base.SetConnected(false);
    base.SetDatabaseName(db->Name() + u"x");
    EXPECT_EQ(base.Schema(), nullptr);
    EXPECT_FALSE(base.In_Key(u"S", u"ID"));
}

} // namespace
} // namespace ortavo::test
