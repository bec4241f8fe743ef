// Column and parameter values through real statements: texts in several character sets,
// scaled integers, doubles, currency, dates and nulls, in dialects 1 and 3.
#include "IBX/statements/IBValueText.h"
#include "base/FormatSettings.h"

#include "Regional.h"
#include "SQLTestFixture.h"

#include <cmath>

namespace ortavo::test {
namespace {

TEST(SQLValueTextTest, LongScaledIntegersAndDoubleTextsIgnoreTheCLibrarysLocale) {
    const ortavo::testing::ScopedCommaLocale comma;
    // Past fifteen digits the value goes through its text.
    EXPECT_EQ(ScaledToDouble(123456789012345678LL, -4), 12345678901234.6);
    EXPECT_EQ(ScaledToDouble(1999000000000000000LL, -17), 19.99);
    FormatSettings settings;
    settings.DecimalSeparator = u',';
    EXPECT_EQ(FormatFloatGeneral(0.1, settings), u"0,1");
    EXPECT_EQ(FormatFloatGeneral(-19.99, settings), u"-19,99");
    EXPECT_EQ(FormatFloatGeneral(1e20, settings), u"1e+20");
    settings.DecimalSeparator = u'.';
    EXPECT_EQ(FormatFloatGeneral(0.1, settings), u"0.1");
}

TEST(SQLValueTextTest, ScaledIntegersReadAsTheirDecimalText) {
    // The exact comparison of money amounts rests on this equality.
    for (int cents = -10000; cents <= 10000; ++cents)
        ASSERT_EQ(ScaledToDouble(cents, -2), cents / 100.0) << cents;
    EXPECT_EQ(ScaledToDouble(123456789012345678LL, -4), 12345678901234.6);
    EXPECT_EQ(ScaledToDouble(-15, 1), -150.0);

    std::int64_t currency = 0;
    ASSERT_TRUE(ScaledToCurrency(-5, -2, currency));
    EXPECT_EQ(currency, -500);
    ASSERT_TRUE(ScaledToCurrency(-123456, -6, currency));
    EXPECT_EQ(currency, -1235);
    ASSERT_TRUE(ScaledToCurrency(7, 2, currency));
    EXPECT_EQ(currency, 7000000);
    EXPECT_FALSE(ScaledToCurrency(INT64_MAX, 0, currency));
    EXPECT_EQ(FormatScaled(-5, -2, u','), u"-0,05");
    EXPECT_EQ(FormatScaled(100, 0, u','), u"100");
}

class SQLValueTest : public SQLFixture {};

INSTANTIATE_TEST_SUITE_P(Setups, SQLValueTest,
                         ::testing::Values(TSQLSetup{TAccess::Embedded, 3, u""},
                                           TSQLSetup{TAccess::Embedded, 3, u"WIN1252"},
                                           TSQLSetup{TAccess::Embedded, 3, u"UTF8"},
                                           TSQLSetup{TAccess::Embedded, 1, u""},
                                           TSQLSetup{TAccess::Server, 3, u"UTF8"},
                                           TSQLSetup{TAccess::Server, 1, u"WIN1252"}),
                         [](const auto& info) { return SQLSetupName(info.param); });

TEST_P(SQLValueTest, NumbersOfEveryScaleReadExactly) {
    Schema("CREATE TABLE N (S SMALLINT, I INTEGER, B NUMERIC(18,0), N92 NUMERIC(9,2), "
           "N152 NUMERIC(15,2), N184 NUMERIC(18,4), D DOUBLE PRECISION)");
    Schema("INSERT INTO N VALUES (-32768, 2147483647, 123456789012345678, -12.99, "
           "9876543210.05, 12345678901234.5678, 0.1)");
    Run(u"SELECT S, I, B, N92, N152, N184, D FROM N");
    EXPECT_EQ(sql->FieldByName(u"s")->AsShort(), -32768);
    EXPECT_EQ(sql->FieldByName(u"I")->AsLong(), 2147483647);
    EXPECT_EQ(sql->FieldByName(u"N92")->AsLong(), -12); // toward zero
    EXPECT_EQ(sql->FieldByName(u"N92")->AsShort(), -12);
    // Beyond 16 bits is no 16-bit value.
    ExpectClientError([&] { sql->FieldByName(u"I")->AsShort(); }, 38, u"Invalid data conversion");
    EXPECT_EQ(sql->FieldByName(u"N92")->AsDouble(), -12.99);
    EXPECT_EQ(sql->FieldByName(u"N92")->AsCurrency(), -129900);
    EXPECT_EQ(sql->FieldByName(u"N152")->AsDouble(), 9876543210.05);
    EXPECT_EQ(sql->FieldByName(u"N152")->AsCurrency(), 98765432100500);
    EXPECT_EQ(sql->FieldByName(u"D")->AsDouble(), 0.1);
    EXPECT_EQ(sql->FieldByName(u"D")->AsCurrency(), 1000);
    if (Dialect() == 3) {
        EXPECT_EQ(sql->FieldByName(u"B")->AsInt64(), 123456789012345678LL);
        EXPECT_EQ(sql->FieldByName(u"N184")->AsCurrency(), 123456789012345678LL);
        EXPECT_EQ(sql->FieldByName(u"N184")->AsDouble(), 12345678901234.6);
        EXPECT_EQ(sql->FieldByName(u"N184")->AsBcd(), u"12345678901234.5678");
        // Beyond 32 bits, scaled or not, is no 32-bit value.
        ExpectClientError([&] { sql->FieldByName(u"B")->AsLong(); }, 38,
                          u"Invalid data conversion");
        ExpectClientError([&] { sql->FieldByName(u"N184")->AsLong(); }, 38,
                          u"Invalid data conversion");
        EXPECT_EQ(sql->FieldByName(u"N184")->AsInt64(), 12345678901234LL);
    }
    EXPECT_EQ(Value(u"SELECT CAST(-0.05 AS NUMERIC(9,2)) FROM RDB$DATABASE").AsCurrency(), -500);
}

TEST_P(SQLValueTest, EveryCentReadsAsItsQuotient) {
    sql->SQL().SetText(u"SELECT CAST(CAST(:N AS DOUBLE PRECISION) / 100 AS NUMERIC(15,2)) FROM "
                       u"RDB$DATABASE");
    sql->Prepare();
    const int step = GetParam().Access == TAccess::Server ? 37 : 1;
    for (int cents = -10000; cents <= 10000; cents += step) {
        sql->ParamByName(u"N")->SetAsLong(cents);
        sql->ExecQuery();
        ASSERT_EQ(sql->Fields(0)->AsDouble(), cents / 100.0) << cents;
        sql->Close();
    }
}

TEST_P(SQLValueTest, ParametersStoreWhatTheyAreGiven) {
    Schema("CREATE TABLE P (ID INTEGER, V14 VARCHAR(14), N152 NUMERIC(15,2), X INTEGER)");
    Prepare(u"INSERT INTO P (ID, V14, N152, X) VALUES (:ID, :V, :N, :ID)");
    sql->ParamByName(u"id")->SetAsString(u"001001"); // the server converts the text
    sql->ParamByName(u"V")->SetAsString(u"");
    sql->ParamByName(u"N")->SetAsDouble(1234.56);
    sql->ExecQuery();
    EXPECT_EQ(sql->RowsAffected(), 1);
    ExpectClientError([&] { sql->ParamByName(u"V")->SetAsString(String(15, u'x')); }, 119,
                      u"Trying to store a string of length 15 into a field that can only "
                      u"contain 14");
    sql->ParamByName(u"V")->SetAsString(String(14, u'x'));
    sql->ParamByName(u"ID")->SetAsString(u""); // empty text: null
    sql->ExecQuery();

    Run(u"SELECT ID, V14, N152, X FROM P ORDER BY ID NULLS LAST");
    EXPECT_EQ(sql->Fields(0)->AsLong(), 1001);
    EXPECT_EQ(sql->Fields(3)->AsLong(), 1001);  // the same name received the same value
    EXPECT_EQ(sql->Fields(1)->AsString(), u""); // an empty text into varying text stays text
    EXPECT_FALSE(sql->Fields(1)->IsNull());
    EXPECT_EQ(sql->Fields(2)->AsDouble(), 1234.56);
    EXPECT_EQ(sql->Fields(2)->AsCurrency(), 12345600);
    ASSERT_NE(sql->Next(), nullptr);
    EXPECT_TRUE(sql->Fields(0)->IsNull());
    EXPECT_TRUE(sql->Fields(3)->IsNull());
    EXPECT_EQ(sql->Fields(1)->AsString(), String(14, u'x'));
    EXPECT_EQ(sql->Next(), nullptr);
    EXPECT_TRUE(sql->Eof());
}

TEST_P(SQLValueTest, TextsRoundTripInTheirCharacterSets) {
    const std::string set = ToUtf8(GetParam().CharacterSet);
    const std::string columnSet = set.empty() ? "WIN1252" : set;
    Schema("CREATE TABLE C (C10 CHAR(10) CHARACTER SET " + columnSet +
           ", V20 VARCHAR(20) CHARACTER SET " + columnSet +
           ", FSS CHAR(4) CHARACTER SET UNICODE_FSS, W56 CHAR(8) CHARACTER SET WIN1256, "
           "K64 VARCHAR(8) CHARACTER SET KOI8U, N CHAR(3), G CHAR(4) CHARACTER SET GBK)");
    Prepare(u"INSERT INTO C VALUES (:C, :V, :F, :W, :K, :N, 'ab')");
    const String accented = u"Ação é";
    sql->ParamByName(u"C")->SetAsString(accented);
    sql->ParamByName(u"V")->SetAsString(accented + u"  ");
    sql->ParamByName(u"F")->SetAsString(u"abcd");
    sql->ParamByName(u"W")->SetAsString(u"abcdefgh");
    sql->ParamByName(u"K")->SetAsString(u"abcdefgh");
    sql->ParamByName(u"N")->SetIsNull(true);
    sql->ExecQuery();

    Run(u"SELECT C10, V20, FSS, W56, K64, N, G FROM C");
    // Trailing blanks stay. Through a multi-byte connection the server pads fixed text with
    // blanks to its width in bytes; the value is its declared width in characters.
    const String padding(4, u' ');
    EXPECT_EQ(sql->Fields(0)->AsString(), accented + padding);
    EXPECT_EQ(sql->Fields(1)->AsString(), accented + u"  ");
    EXPECT_EQ(sql->Fields(2)->AsString().substr(0, 4), u"abcd");
    if (set.empty()) {
        // Without a character set the server sends a column's own bytes, and each is a
        // character: nothing is cut.
        EXPECT_EQ(sql->Fields(2)->CharSize(), 3);
        EXPECT_EQ(sql->Fields(2)->AsString(), u"abcd" + String(8, u' '));
        EXPECT_EQ(sql->Fields(6)->CharSize(), 2);
        EXPECT_EQ(sql->Fields(6)->AsString(), u"ab" + String(6, u' '));
    } else {
        EXPECT_EQ(sql->Fields(2)->AsString(), u"abcd");
        EXPECT_EQ(sql->Fields(6)->AsString(), u"ab  ");
    }
    EXPECT_EQ(sql->Fields(3)->CharSize(), set == "UTF8" ? 4 : 1);
    EXPECT_EQ(TrimRight(sql->Fields(3)->AsString()), u"abcdefgh");
    if (set != "UTF8") {
        EXPECT_EQ(sql->Fields(3)->AsString(), u"abcdefgh");
    }
    EXPECT_EQ(sql->Fields(4)->AsString(), u"abcdefgh");
    EXPECT_TRUE(sql->Fields(5)->IsNull());
    EXPECT_EQ(sql->Fields(5)->AsString(), u"");
    EXPECT_EQ(sql->Fields(5)->AsLong(), 0);
    EXPECT_EQ(sql->Fields(5)->AsDouble(), 0);
    ExpectClientError([&] { sql->Fields(1)->AsLong(); }, 38, u"Invalid data conversion");
}

TEST_P(SQLValueTest, DatesAndTimesKeepTheirMilliseconds) {
    ScopedFormatSettings settings{FormatSettings{}};
    if (Dialect() == 3) {
        EXPECT_EQ(Value(u"SELECT DATE '1899-12-30' FROM RDB$DATABASE").AsDate(), 0.0);
        EXPECT_EQ(Value(u"SELECT DATE '2024-02-29' FROM RDB$DATABASE").AsDate(),
                  EncodeDate(2024, 2, 29));
        EXPECT_EQ(Value(u"SELECT DATE '0001-01-01' FROM RDB$DATABASE").AsDate(),
                  EncodeDate(1, 1, 1));
        TIBXSQLVAR& time = Value(u"SELECT TIME '10:20:30.1234' FROM RDB$DATABASE");
        int h, m, s, ms;
        DecodeTime(time.AsTime(), h, m, s, ms);
        EXPECT_EQ((std::vector<int>{h, m, s, ms}), (std::vector<int>{10, 20, 30, 123}));
        EXPECT_TRUE(Value(u"SELECT TRUE FROM RDB$DATABASE").AsBoolean());
    }
    TIBXSQLVAR& stamp =
        Value(u"SELECT CAST('2024-03-15 10:20:30.1234' AS TIMESTAMP) FROM RDB$DATABASE");
    TDateTime expected;
    ASSERT_TRUE(TryEncodeTime(10, 20, 30, 123, expected));
    EXPECT_DOUBLE_EQ(stamp.AsDateTime(), EncodeDate(2024, 3, 15) + expected);
    EXPECT_EQ(stamp.AsString(), u"15/03/2024 10:20:30");
    TIBXSQLVAR& before =
        Value(u"SELECT CAST('1899-12-29 06:00:00' AS TIMESTAMP) FROM RDB$DATABASE");
    EXPECT_EQ(before.AsDateTime(), -1.25);

    Schema(Dialect() == 3 ? "CREATE TABLE D (D DATE, T TIMESTAMP, X DATE)"
                          : "CREATE TABLE D (D DATE, T DATE, X DATE)");
    Prepare(u"INSERT INTO D VALUES (:D, :T, :X)");
    for (TDateTime date : {0.0, EncodeDate(2024, 2, 29), EncodeDate(1, 1, 1), -1.25}) {
        sql->ParamByName(u"D")->SetAsDate(std::trunc(date));
        sql->ParamByName(u"T")->SetAsDateTime(date + (date >= 0 ? 0.5 : 0));
        sql->ParamByName(u"X")->SetAsString(u"29/02/2024");
        sql->ExecQuery();
    }
    sql->ParamByName(u"X")->SetIsNull(true);
    sql->ExecQuery();
    Run(u"SELECT D, T, X FROM D");
    for (TDateTime date : {0.0, EncodeDate(2024, 2, 29), EncodeDate(1, 1, 1), -1.25}) {
        ASSERT_FALSE(sql->Eof());
        EXPECT_EQ(sql->Fields(0)->AsDate(), std::trunc(date));
        EXPECT_EQ(sql->Fields(1)->AsDateTime(), date + (date >= 0 ? 0.5 : 0));
        EXPECT_EQ(sql->Fields(2)->AsDate(), EncodeDate(2024, 2, 29));
        sql->Next();
    }
    EXPECT_TRUE(sql->Fields(2)->IsNull());
    EXPECT_EQ(sql->Fields(2)->AsDateTime(), 0);
}

TEST_P(SQLValueTest, ResultColumnsAreNamedUniquely) {
    Schema("CREATE TABLE R (A INTEGER, B INTEGER)");
    Run(Dialect() == 3 ? u"SELECT A, B AS A, A AS \"a\", 1, 2 FROM R"
                       : u"SELECT A, B AS A, A AS a, 1, 2 FROM R");
    const TIBXSQLDA& row = *sql->Current();
    ASSERT_EQ(row.Count(), 5);
    EXPECT_EQ(row.Vars(0)->Name(), u"A");
    EXPECT_EQ(row.Vars(1)->Name(), u"A1");
    EXPECT_EQ(row.Vars(1)->Data().AliasName(), u"A1");
    EXPECT_EQ(row.Vars(1)->Data().SqlName(), u"B");
    // A quoted alias differs from the others but registers upper-cased; unquoted in
    // dialect 1 it is a third A.
    EXPECT_EQ(row.Vars(2)->Name(), Dialect() == 3 ? u"A" : u"A2");
    EXPECT_EQ(row.Vars(3)->Name(), u"CONSTANT");
    EXPECT_EQ(row.Vars(4)->Name(), u"CONSTANT1");
    EXPECT_EQ(row.UniqueRelationName(), u"R");
    ExpectClientError([&] { row.Vars(5); }, 26, u"XSQLDA index out of range");
    ExpectClientError([&] { sql->FieldByName(u"NONE"); }, 46, u"Field \"NONE\" not found");
}

} // namespace
} // namespace ortavo::test
