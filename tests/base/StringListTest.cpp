// Line lists: splitting, name=value lines and the change notifications.
#include "base/StringList.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace ortavo;

TEST(StringList, SplitsAtEveryKindOfBreak) {
    TStringList list(u"a\r\nb\rc\nd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(3), u"d");
    list.SetText(u"x\r\n\r\n");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Text(), u"x\r\n\r\n");
    list.SetText(u"");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.Get(0), EListError);
}

TEST(StringList, ReadsNameValueLines) {
    TStringList list(u"user_name=VORAS\npassword=##480317\nlone");
    EXPECT_EQ(list.Values(u"USER_NAME"), u"VORAS");
    EXPECT_EQ(list.Names(1), u"password");
    EXPECT_EQ(list.ValueFromIndex(1), u"##480317");
    EXPECT_EQ(list.Names(2), u"");
    EXPECT_EQ(list.IndexOfName(u"missing"), -1);
    EXPECT_EQ(list.IndexOf(u"LONE"), 2);
}

TEST(StringList, NotifiesOnceAroundABatchAndCanRefuse) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TStrings&) { ++changing; };
    list.OnChange = [&](TStrings&) { ++changed; };
    list.SetText(u"a\nb\nc");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    list.Add(u"d");
    EXPECT_EQ(changed, 2);
    list.OnChanging = [](TStrings&) { throw EInvalidOperation(u"refused"); };
    EXPECT_THROW(list.Add(u"e"), EInvalidOperation);
    EXPECT_THROW(list.SetText(u"x"), EInvalidOperation);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.UpdateCount(), 0);
}
