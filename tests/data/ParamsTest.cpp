// Parameter lists: the marker parser, lookups by name, values across kinds.
#include "data/Params.h"
#include "Regional.h"
#include "base/Component.h"
#include "base/Exception.h"
#include "data/DatabaseError.h"

#include <gtest/gtest.h>

namespace ortavo {
namespace {

std::vector<String> Names(const TParams& params) {
    std::vector<String> names;
    for (int i = 0; i < params.Count(); ++i)
        names.push_back(params[i].Name());
    return names;
}

TEST(ParseSQLTest, MarkersQuotesAndDoubleColons) {
    TParams params;
    EXPECT_EQ(params.ParseSQL(u"select * from T where A = :FILIAL and B=:ecf)", true),
              u"select * from T where A = ? and B=?)");
    EXPECT_EQ(Names(params), (std::vector<String>{u"FILIAL", u"ecf"}));

    EXPECT_EQ(params.ParseSQL(u"select ':x', \":y\", `:z` from T where C = :\"a name\" ", true),
              u"select ':x', \":y\", `:z` from T where C = ? ");
    EXPECT_EQ(Names(params), (std::vector<String>{u"a name"}));

    EXPECT_EQ(params.ParseSQL(u"select a::int from T where x = :P, y = :P;", true),
              u"select a:int from T where x = ?, y = ?;");
    EXPECT_EQ(Names(params), (std::vector<String>{u"P", u"P"}));

    // A quote left open ends the scan; "?" is copied as it is.
    EXPECT_EQ(params.ParseSQL(u"select ? from T where a = 'it:s", true),
              u"select ? from T where a = 'it:s");
    EXPECT_EQ(params.Count(), 0);

    // Lines end in CR LF, which end a name.
    EXPECT_EQ(params.ParseSQL(u"where a = :A\r\nand b = :B\r\n", true),
              u"where a = ?\r\nand b = ?\r\n");
    EXPECT_EQ(Names(params), (std::vector<String>{u"A", u"B"}));

    // Comments are copied whole: a marker in them is no parameter.
    EXPECT_EQ(params.ParseSQL(u"select 1 /* :a */ from T -- note: x\r\nwhere b = :B --:c", true),
              u"select 1 /* :a */ from T -- note: x\r\nwhere b = ? --:c");
    EXPECT_EQ(Names(params), (std::vector<String>{u"B"}));
    EXPECT_EQ(params.ParseSQL(u"select a-1 from T where b = :B /* :open", true),
              u"select a-1 from T where b = ? /* :open");
    EXPECT_EQ(Names(params), (std::vector<String>{u"B"}));
    params.ParseSQL(u"where a = :A\r\nand b = :B\r\n", true);

    // Without creating, the list stays as it is.
    params.ParseSQL(u"select :Z from T", false);
    EXPECT_EQ(Names(params), (std::vector<String>{u"A", u"B"}));
}

TEST(ParamsTest, LookupIgnoresCaseAndNamesTheOwner) {
    TComponent owner;
    owner.SetName(u"Query");
    TParams params(&owner);
    params.ParseSQL(u"select * from T where a = :FILIAL", true);
    EXPECT_EQ(&params.ParamByName(u"filial"), &params[0]);
    EXPECT_EQ(params.FindParam(u"other"), nullptr);
    try {
        params.ParamByName(u"ECF");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), u"Query: Parameter 'ECF' not found");
    }
}

TEST(ParamsTest, ValuesSurviveForSameNamedParameters) {
    TParams old;
    old.ParseSQL(u":A :B", true);
    old.ParamByName(u"A").SetAsInteger(7);
    old.ParamByName(u"B").SetAsString(u"x");
    TParams fresh;
    fresh.ParseSQL(u":b :C", true);
    fresh.AssignValues(old);
    EXPECT_EQ(fresh[0].AsString(), u"x");
    EXPECT_EQ(fresh[0].DataType(), ftWideString);
    EXPECT_TRUE(fresh[1].IsNull());
    EXPECT_EQ(fresh[1].DataType(), ftUnknown);
}

TEST(ParamTest, SettersKeepTheirKindsAndGettersConvert) {
    ScopedFormatSettings regional(testing::WithDecimalSeparator(u','));
    TParam p;
    EXPECT_TRUE(p.IsNull());
    EXPECT_FALSE(p.Bound());
    p.SetAsString(u"0010");
    EXPECT_EQ(p.DataType(), ftWideString);
    EXPECT_TRUE(p.Bound());
    EXPECT_EQ(p.AsInteger(), 10);
    p.SetDataType(ftFixedWideChar);
    p.SetAsString(u"P");
    EXPECT_EQ(p.DataType(), ftFixedWideChar);
    p.SetAsFloat(12.5);
    EXPECT_EQ(p.DataType(), ftFloat);
    EXPECT_EQ(p.AsString(), u"12,5");
    EXPECT_EQ(p.AsCurrency(), 125000);
    EXPECT_EQ(p.AsInteger(), 13);
    p.SetAsDate(45000);
    EXPECT_EQ(p.DataType(), ftDate);
    EXPECT_EQ(p.AsDateTime(), 45000);
    p.SetAsCurrency(-500);
    EXPECT_EQ(p.AsString(), u"-0,05");
    EXPECT_DOUBLE_EQ(p.AsFloat(), -0.05);
    p.SetAsLargeInt(5000000000LL);
    EXPECT_THROW(p.AsInteger(), EConvertError);
    p.SetAsString(u"abc");
    EXPECT_THROW(p.AsFloat(), EConvertError);
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.AsInteger(), 0);
}

} // namespace
} // namespace ortavo
