// Result columns as fields: types, the record layout, text padding in each character set,
// exact amounts, dates and times, names; on dialect 3 and dialect 1 databases.
#include "QueryFixture.h"

#include "IBX/datasets/IBRecordLayout.h"
#include "Regional.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "data/Bcd.h"
#include "data/FieldClasses.h"

#include <gtest/gtest.h>

#include <vector>

namespace ortavo::test {
namespace {

class RecordTest : public ::testing::TestWithParam<TAccess>, public QueryFixture {
protected:
    RecordTest() : QueryFixture(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(Access, RecordTest, ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

TEST_P(RecordTest, NumericAmountsReadExactlyAsTheFileAmounts) {
    // Every cent from -300.00 to 300.00, in the three column kinds the amounts live in.
    db->Execute("CREATE TABLE N (ID INTEGER, N15 NUMERIC(15,2), N9 NUMERIC(9,2), "
                "D DOUBLE PRECISION)");
    db->Execute("EXECUTE BLOCK AS DECLARE I INTEGER = -30000; BEGIN WHILE (I <= 30000) DO "
                "BEGIN INSERT INTO N VALUES (:I, :I * 0.01, :I * 0.01, :I / 100e0); "
                "I = I + 1; END END");
    OpenAll(u"SELECT ID, N15, N9, D FROM N");
    ASSERT_EQ(query.RecordCount(), 60001);
    TField& id = query.FieldByName(u"ID");
    TField& n15 = query.FieldByName(u"N15");
    TField& n9 = query.FieldByName(u"N9");
    TField& d = query.FieldByName(u"D");
    EXPECT_NE(dynamic_cast<TBCDField*>(&n15), nullptr);
    EXPECT_EQ(n15.Size(), 2);
    EXPECT_NE(dynamic_cast<TFloatField*>(&d), nullptr);
    int rows = 0;
    for (query.First(); !query.Eof(); query.Next(), ++rows) {
        const double amount = id.AsInteger() / 100.0;
        ASSERT_EQ(n15.AsFloat(), amount) << id.AsInteger();
        ASSERT_EQ(n9.AsFloat(), amount) << id.AsInteger();
        ASSERT_EQ(d.AsFloat(), amount) << id.AsInteger();
    }
    EXPECT_EQ(rows, 60001);

    // A double bound into a numeric column comes back as the same amount.
    SetText(u"UPDATE N SET N15 = :V, N9 = :V2 WHERE ID = 5");
    query.ParamByName(u"V").SetAsFloat(105900.0);
    query.ParamByName(u"V2").SetAsFloat(-1234567.89);
    query.ExecSQL();
    OpenAll(u"SELECT N15, N9 FROM N WHERE ID = 5");
    EXPECT_EQ(query.FieldByName(u"N15").AsFloat(), 105900.0);
    EXPECT_EQ(query.FieldByName(u"N9").AsFloat(), -123456789 / 100.0);
    ScopedFormatSettings comma(testing::WithDecimalSeparator(u','));
    EXPECT_EQ(query.FieldByName(u"N15").AsString(), u"105900");
    EXPECT_EQ(query.FieldByName(u"N9").AsString(), u"-1234567,89");
}

TEST_P(RecordTest, TypesFieldClassesAndValues) {
    db->Execute("CREATE TABLE T (S SMALLINT, I INTEGER, B BIGINT, N4 NUMERIC(18,4), "
                "N6 NUMERIC(18,6), F FLOAT, D DATE, TM TIME, TS TIMESTAMP, BO BOOLEAN, "
                "MEMO BLOB SUB_TYPE 1, BIN BLOB SUB_TYPE 0)");
    db->Execute("INSERT INTO T VALUES (-7, 2147483647, 5000000000, 12.5, "
                "123456789012.345678, 0.1, '2024-02-29', '13:45:07.250', "
                "'1899-12-30 00:00:01', TRUE, 'linha', x'00ff10')");
    ScopedFormatSettings dot(testing::WithDecimalSeparator(u'.'));
    OpenAll(u"SELECT S, I, B, N4, N6, F, D, TM, TS, BO, MEMO, BIN FROM T");
    struct Expected {
        const char16_t* name;
        TFieldType type;
        const char16_t* text;
    } expected[] = {
        {u"S", ftSmallint, u"-7"},
        {u"I", ftInteger, u"2147483647"},
        {u"B", ftLargeint, u"5000000000"},
        {u"N4", ftBCD, u"12.5"},
        {u"N6", ftFMTBcd, u"123456789012.345678"},
        {u"F", ftFloat, u"0.100000001490116"},
        {u"D", ftDate, u"29/02/2024"},
        {u"TM", ftTime, u"13:45:07"},
        {u"TS", ftDateTime, u"30/12/1899 00:00:01"},
        {u"BO", ftBoolean, u"True"},
        {u"MEMO", ftWideMemo, u"linha"},
    };
    for (const Expected& e : expected) {
        TField& field = query.FieldByName(e.name);
        EXPECT_EQ(field.DataType(), e.type) << ToUtf8(e.name);
        EXPECT_EQ(field.AsString(), e.text) << ToUtf8(e.name);
    }
    EXPECT_EQ(query.FieldByName(u"BIN").AsBytes(), std::string("\x00\xff\x10", 3));
    EXPECT_EQ(query.FieldByName(u"S").AsInteger(), -7);
    // A 64-bit value beyond 32 bits is no 32-bit integer.
    EXPECT_THROW(query.FieldByName(u"B").AsInteger(), EConvertError);
    EXPECT_EQ(query.FieldByName(u"B").AsLargeInt(), 5000000000LL);
    EXPECT_EQ(query.FieldByName(u"D").AsDateTime(), EncodeDate(2024, 2, 29));
    TDateTime time = 0;
    ASSERT_TRUE(TryEncodeTime(13, 45, 7, 250, time));
    EXPECT_DOUBLE_EQ(query.FieldByName(u"TM").AsDateTime(), time);
    EXPECT_TRUE(query.FieldByName(u"BO").AsBoolean());
}

TEST_P(RecordTest, DaysBeforeTheEpochKeepTheirDateAndTime) {
    db->Execute("CREATE TABLE D (ID INTEGER, TS TIMESTAMP, D DATE)");
    db->Execute("INSERT INTO D VALUES (1, '1800-01-01 12:00', '1800-01-01')");
    db->Execute("INSERT INTO D VALUES (2, '0001-01-01 00:00:00.001', '0001-01-01')");
    db->Execute("INSERT INTO D VALUES (3, '1899-12-29 23:59:59', '1899-12-29')");
    OpenAll(u"SELECT TS, D FROM D ORDER BY ID");
    for (const char16_t* expected :
         {u"01/01/1800 12:00:00", u"01/01/0001 00:00:00", u"29/12/1899 23:59:59"}) {
        EXPECT_EQ(query.FieldByName(u"TS").AsString(), expected);
        EXPECT_EQ(query.FieldByName(u"D").AsString(), String(expected).substr(0, 10));
        query.Next();
    }
}

// Each value has the room its decoding needs, in record bytes: two per byte sent without a
// character set, two per UTF-16 unit (at most two per character) through one.
TEST_P(RecordTest, TextIsNeverCut) {
    db->Execute("CREATE TABLE X (ID INTEGER, C CHAR(5) CHARACTER SET UTF8, "
                "V VARCHAR(10) CHARACTER SET UTF8, E VARCHAR(5) CHARACTER SET UTF8, "
                "G CHAR(4) CHARACTER SET GBK, O CHAR(4) CHARACTER SET OCTETS, "
                "OV VARCHAR(8) CHARACTER SET OCTETS, F VARCHAR(5) CHARACTER SET UNICODE_FSS)");
    db->Execute("INSERT INTO X VALUES (1, 'abc', '', "
                "_UTF8 '\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
                "\xF0\x9F\x98\x80', 'ab', x'00ff0010', x'0001', 'fifteen letters')");
    db->Execute("UPDATE X SET V = _UTF8 '" + ToUtf8(String(10, u'ã')) + "'");
    auto storage = [&] {
        std::vector<int> sizes;
        for (int i = 1; i <= query.Fields().Count(); ++i)
            sizes.push_back(record::Get<std::int32_t>(
                query.CurrentRecordBuffer() + record::Column(i), record::DataSize));
        return sizes;
    };
    // Without a character set every byte the server sends is a character.
    OpenAll(u"SELECT C, V, G, O, OV FROM X");
    EXPECT_EQ(storage(), (std::vector<int>{40, 80, 16, 4, 8}));
    EXPECT_EQ(query.FieldByName(u"C").AsString(), u"abc" + String(17, u' '));
    String twenty;
    for (int i = 0; i < 10; ++i)
        twenty += u"Ã£";
    EXPECT_EQ(query.FieldByName(u"V").AsString(), twenty);
    EXPECT_EQ(query.FieldByName(u"G").AsString(), u"ab" + String(6, u' '));
    // OCTETS hold bytes, zeros included.
    EXPECT_EQ(query.FieldByName(u"O").DataType(), ftBytes);
    EXPECT_EQ(query.FieldByName(u"O").AsBytes(), std::string("\x00\xff\x00\x10", 4));
    EXPECT_EQ(query.FieldByName(u"OV").DataType(), ftVarBytes);
    EXPECT_EQ(query.FieldByName(u"OV").AsBytes(), std::string("\x00\x01", 2));

    auto through = [&](const char16_t* characterSet, const char16_t* select) {
        query.Close();
        base.Close();
        db->Configure(base);
        base.Params().Add(String(u"lc_ctype=") + characterSet);
        OpenAll(select);
    };
    // In the column's own set: the characters, a fixed text as wide as it is declared.
    through(u"UTF8", u"SELECT C, V, E FROM X");
    EXPECT_EQ(storage(), (std::vector<int>{20, 40, 20}));
    EXPECT_EQ(query.FieldByName(u"C").AsString(), u"abc  ");
    EXPECT_EQ(query.FieldByName(u"V").AsString(), String(10, u'ã'));
    String smiles;
    for (int i = 0; i < 5; ++i)
        smiles += u"\U0001F600";
    EXPECT_EQ(query.FieldByName(u"E").AsString(), smiles);
    through(u"GBK", u"SELECT G FROM X");
    EXPECT_EQ(storage(), (std::vector<int>{16}));
    EXPECT_EQ(query.FieldByName(u"G").AsString(), u"ab  ");
    // UNICODE_FSS counts a value's bytes, not its characters.
    through(u"UNICODE_FSS", u"SELECT F FROM X");
    EXPECT_EQ(storage(), (std::vector<int>{30}));
    EXPECT_EQ(query.FieldByName(u"F").AsString(), u"fifteen letters");
}

TEST_P(RecordTest, NumericsBeyondTheCurrencyRange) {
    db->Execute("CREATE TABLE N (N182 NUMERIC(18,2), N183 NUMERIC(18,3), N6 NUMERIC(18,6), "
                "I INTEGER)");
    db->Execute("INSERT INTO N VALUES (92233720368547758.07, -9223372036854775.808, "
                "9223372036854.775807, 1)");
    db->Execute("INSERT INTO N VALUES (12.5, 0, 0, 2)");
    OpenAll(u"SELECT N182, N183, N6, I FROM N ORDER BY I");
    // The getters cannot hold such a value and say so; the row and its exact value stay.
    TField& n182 = query.FieldByName(u"N182");
    EXPECT_EQ(n182.DataType(), ftBCD);
    ExpectClientError([&] { n182.AsString(); }, 38, u"Invalid data conversion");
    TBcd exact;
    ASSERT_TRUE(query.ExactBeyondCurrency(n182, exact));
    EXPECT_EQ(BcdToStr(exact, testing::WithDecimalSeparator(u'.')), u"92233720368547758.07");
    ASSERT_TRUE(query.ExactBeyondCurrency(query.FieldByName(u"N183"), exact));
    EXPECT_EQ(BcdToStr(exact, testing::WithDecimalSeparator(u'.')), u"-9223372036854775.808");
    EXPECT_FALSE(query.ExactBeyondCurrency(query.FieldByName(u"N6"), exact));
    EXPECT_EQ(query.FieldByName(u"I").AsInteger(), 1);
    query.Next();
    EXPECT_FALSE(query.ExactBeyondCurrency(n182, exact));
    EXPECT_EQ(n182.AsCurrency(), 125000);
}

TEST_P(RecordTest, TheRecordBufferLayout) {
    db->Execute("CREATE TABLE L (ID INTEGER NOT NULL, NAME VARCHAR(5), AMOUNT NUMERIC(9,2), "
                "NOTE BLOB SUB_TYPE 1)");
    db->Execute("INSERT INTO L VALUES (3, 'ab', 1.25, NULL)");
    OpenAll(u"SELECT ID, NAME, AMOUNT, NOTE FROM L");
    const std::byte* r = query.CurrentRecordBuffer();
    using namespace record;
    EXPECT_EQ(Get<std::int16_t>(r, ColumnCount), 4);
    EXPECT_EQ(Get<std::int32_t>(r, RecordNumber), 0);
    EXPECT_EQ(Get<std::int32_t>(r, SavedPosition), -1);
    const int dataStart = HeaderSize + 4 * ColumnSize;
    const struct {
        int type, size, length, offset;
        bool nullable, isNull;
    } columns[] = {
        {SQL_LONG, 4, 0, dataStart, false, false},
        {SQL_VARYING, 10, 4, dataStart + 4, true, false},
        {SQL_LONG, 8, 0, dataStart + 14, true, false},
        {SQL_BLOB, 8, 0, dataStart + 22, true, true},
    };
    for (int i = 0; i < 4; ++i) {
        const std::byte* d = r + Column(i + 1);
        EXPECT_EQ(Get<std::int16_t>(d, SqlType), columns[i].type) << i;
        EXPECT_EQ(Get<std::int32_t>(d, DataSize), columns[i].size) << i;
        EXPECT_EQ(Get<std::int32_t>(d, DataLength), columns[i].length) << i;
        EXPECT_EQ(Get<std::int32_t>(d, DataOffset), columns[i].offset) << i;
        EXPECT_EQ(Get<std::uint8_t>(d, Nullable) != 0, columns[i].nullable) << i;
        EXPECT_EQ(Get<std::uint8_t>(d, IsNull) != 0, columns[i].isNull) << i;
    }
    EXPECT_EQ(Get<std::int16_t>(r + Column(3), Scale), -2);
    EXPECT_EQ(Get<std::int32_t>(r, dataStart), 3);
    EXPECT_EQ(Get<std::int64_t>(r, dataStart + 14), 12500);
    EXPECT_EQ(std::memcmp(r + dataStart + 4, u"ab", 4), 0);
    EXPECT_EQ(query.CalcFieldsOffset(), dataStart + 30);
    EXPECT_EQ(query.BlobCacheOffset(), dataStart + 30);
    EXPECT_EQ(query.RecordBufferSize(), dataStart + 34);
    EXPECT_TRUE(query.FieldByName(u"ID").Required());
    EXPECT_FALSE(query.FieldByName(u"NAME").Required());
}

TEST_P(RecordTest, NamesAreTheRegisteredAliases) {
    db->Execute("CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER, A INTEGER)");
    db->Execute("INSERT INTO MVTO_PAI VALUES (1, 2)");
    OpenAll(u"SELECT PAI_SEQU, A, PAI_SEQU AS A, A + 1 AS \"Valor\", 5 FROM MVTO_PAI");
    const TFields& fields = query.Fields();
    ASSERT_EQ(fields.Count(), 5);
    EXPECT_EQ(fields[1].FieldName(), u"A");
    EXPECT_EQ(fields[2].FieldName(), u"A1");
    EXPECT_EQ(fields[3].FieldName(), u"VALOR");
    EXPECT_EQ(query.FieldByName(u"pai_sequ").AsInteger(), 1);
    EXPECT_EQ(query.FieldByName(u"A").AsInteger(), 2);
    EXPECT_EQ(query.FieldByName(u"a1").AsInteger(), 1);
    EXPECT_EQ(query.FieldByName(u"valor").AsInteger(), 3);
}

struct CharSetCase {
    TAccess access;
    const char* connection; // lc_ctype, empty for none
    const char* column;     // the columns' character set
};

class TextPaddingTest : public ::testing::TestWithParam<CharSetCase>, public QueryFixture {
protected:
    TextPaddingTest() : QueryFixture(GetParam().access, 3, FromUtf8(GetParam().connection)) {}
};

INSTANTIATE_TEST_SUITE_P(CharSets, TextPaddingTest,
                         ::testing::Values(CharSetCase{TAccess::Embedded, "", "NONE"},
                                           CharSetCase{TAccess::Embedded, "", "WIN1252"},
                                           CharSetCase{TAccess::Embedded, "WIN1252", "WIN1252"},
                                           CharSetCase{TAccess::Embedded, "UTF8", "UTF8"},
                                           CharSetCase{TAccess::Server, "UTF8", "UTF8"},
                                           CharSetCase{TAccess::Server, "WIN1252", "UTF8"}),
                         [](const auto& info) {
                             return AccessName(info.param.access) + "_" +
                                    (*info.param.connection ? info.param.connection : "none") +
                                    "_" + info.param.column;
                         });

TEST_P(TextPaddingTest, CharIsPaddedToItsWidthAndVarcharIsKept) {
    const std::string set = GetParam().column;
    db->Execute("CREATE TABLE X (C CHAR(14) CHARACTER SET " + set +
                ", V VARCHAR(14) CHARACTER SET " + set + ")");
    // Accented letters only where the connection can carry them to the column.
    const bool accents = *GetParam().connection != '\0';
    const String ten = accents ? u"Ação Ltda." : u"Acao Ltda.";
    const String fourteen = accents ? u"Ótica São João" : u"Otica Sao Joao";
    SetText(u"INSERT INTO X VALUES (:C, :V)");
    query.ParamByName(u"C").SetAsString(ten);
    query.ParamByName(u"V").SetAsString(fourteen);
    query.ExecSQL();
    SetText(u"INSERT INTO X VALUES (:C, :V)");
    query.ParamByName(u"C").SetAsString(fourteen);
    query.ParamByName(u"V").SetAsString(u"");
    query.ExecSQL();
    OpenAll(u"SELECT C, V FROM X");
    ASSERT_EQ(query.RecordCount(), 2);
    // Size is room for every byte the server sends, which no value can outgrow.
    EXPECT_EQ(query.FieldByName(u"C").Size(),
              14 * (std::string(GetParam().connection) == "UTF8" ? 4 : 1));
    EXPECT_EQ(query.FieldByName(u"C").AsString(), ten + u"    ");
    EXPECT_EQ(query.FieldByName(u"V").AsString(), fourteen);
    query.Next();
    EXPECT_EQ(query.FieldByName(u"C").AsString(), fourteen);
    EXPECT_EQ(query.FieldByName(u"V").AsString(), u"");
}

TEST(DialectOneTest, TheRunsPatternOnADialectOneDatabase) {
    QueryFixture f(TAccess::Embedded, 1);
    // Dialect 1 keeps NUMERIC(15,2) as a double and DATE as a timestamp.
    f.db->Execute("CREATE TABLE MVTO_PAI (PAI_SEQU INTEGER, PAI_DTEMISSAO DATE, "
                  "PAI_DESCONTO NUMERIC(15,2), PAI_ACRESCIMO NUMERIC(9,2))");
    f.db->Execute("INSERT INTO MVTO_PAI VALUES (9, '5-MAR-2024', 1234.56, 0.07)");
    f.SetText(u"SELECT PAI_SEQU, PAI_DESCONTO, PAI_ACRESCIMO FROM MVTO_PAI WHERE "
              u"PAI_DTEMISSAO = :DTEMISSAO");
    f.query.ParamByName(u"DTEMISSAO").SetAsDate(EncodeDate(2024, 3, 5));
    f.query.Open();
    f.query.FetchAll();
    ASSERT_EQ(f.query.RecordCount(), 1);
    EXPECT_EQ(f.query.FieldByName(u"PAI_SEQU").AsInteger(), 9);
    EXPECT_EQ(f.query.FieldByName(u"PAI_DESCONTO").DataType(), ftFloat);
    EXPECT_EQ(f.query.FieldByName(u"PAI_DESCONTO").AsFloat(), 123456 / 100.0);
    EXPECT_EQ(f.query.FieldByName(u"PAI_ACRESCIMO").AsFloat(), 7 / 100.0);
    f.OpenAll(u"SELECT CAST('1800-06-15 06:00:00' AS DATE) AS D FROM RDB$DATABASE");
    EXPECT_EQ(f.query.FieldByName(u"D").AsString(), u"15/06/1800 06:00:00");
}

} // namespace
} // namespace ortavo::test
