// Fields of the fiscal file's records: positions, short lines, amounts and date texts.
#include "reconciliation/FiscalRecords.h"
#include "Regional.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace ortavo;

namespace {

FormatSettings Point() {
    return ortavo::testing::WithDecimalSeparator(u'.');
}

// A coupon line with the amounts at 81-93 and 95-107.
String Coupon(const String& discount, const String& surcharge) {
    String line = u"E14" + String(77, u'x');
    return line + discount + u"V" + surcharge;
}

} // namespace

TEST(FiscalRecords, FieldsAreCutByTheLineAndNeverTrimmed) {
    String line = u"E01" + String(95, u' ') + u"12345678000195";
    EXPECT_EQ(Field(line, FiscalLayout::HeaderCnpj), u"12345678000195");
    EXPECT_EQ(Field(u"E01 abc", FiscalLayout::HeaderCnpj), u"");
    EXPECT_EQ(Field(line.substr(0, 105), FiscalLayout::HeaderCnpj), u"1234567");
    EXPECT_EQ(Field(u"E14 SERIAL   ", FiscalLayout::CouponSerial), u" SERIAL   ");
    EXPECT_EQ(Field(u"", {1, 3}), u"");
}

TEST(FiscalRecords, RecordTypesMatchExactly) {
    EXPECT_TRUE(IsRecord(u"E14xyz", CouponRecord));
    EXPECT_TRUE(IsRecord(u"E01", HeaderRecord));
    EXPECT_FALSE(IsRecord(u"e14xyz", CouponRecord));
    EXPECT_FALSE(IsRecord(u"E1", CouponRecord));
    EXPECT_FALSE(IsRecord(u" E14", CouponRecord));
}

TEST(FiscalRecords, AmountsAreHundredths) {
    String line = Coupon(u"0000000000150", u"          150");
    EXPECT_DOUBLE_EQ(AmountValue(Field(line, FiscalLayout::CouponDiscount), Point()), 1.5);
    EXPECT_DOUBLE_EQ(AmountValue(Field(line, FiscalLayout::CouponSurcharge), Point()), 1.5);
    EXPECT_DOUBLE_EQ(AmountValue(u"-000000000150", Point()), -1.5);
    EXPECT_DOUBLE_EQ(AmountValue(u"0000000001999", Point()), 19.99);
    // A line that ends inside the surcharge field reads what is there.
    String cut = Coupon(u"0000000000000", u"000150");
    EXPECT_DOUBLE_EQ(AmountValue(Field(cut, FiscalLayout::CouponSurcharge), Point()), 1.5);
}

TEST(FiscalRecords, NonNumericAmountsFailWithTheFieldText) {
    String shortLine = Coupon(u"0000000000000", u"").substr(0, 93);
    for (const String& field : {String(13, u' '), String(), String(u"00000000001,5"),
                                String(Field(shortLine, FiscalLayout::CouponSurcharge))}) {
        try {
            AmountValue(field, Point());
            FAIL() << ToUtf8(field);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"'" + field + u"' is not a valid floating point value");
        }
    }
}

TEST(FiscalRecords, IssueDateTextRearrangesWhatExists) {
    EXPECT_EQ(IssueDateText(u"20240315"), u"15/03/2024");
    EXPECT_EQ(IssueDateText(u"202403"), u"/03/2024");
    EXPECT_EQ(IssueDateText(u"2024031"), u"1/03/2024");
    EXPECT_EQ(IssueDateText(u"20"), u"//20");
    EXPECT_EQ(IssueDateText(u""), u"//");
}
