// The memo views' line list: break normalisation, the count rule, the read cut, appends,
// change notifications and the capacity failure.
#include "base/MemoLines.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ortavo;

namespace {

std::vector<String> Lines(const TMemoLines& lines) {
    std::vector<String> out;
    for (int i = 0; i < lines.Count(); ++i)
        out.push_back(lines.Get(i));
    return out;
}

} // namespace

TEST(MemoLines, EveryKindOfBreakBecomesCrLf) {
    struct Case {
        const char16_t* in;
        const char16_t* text;
        int count;
    } cases[] = {
        {u"a\r\nb\r\n", u"a\r\nb\r\n", 2},
        {u"a\rb\r", u"a\r\nb\r\n", 2},
        {u"a\nb\n", u"a\r\nb\r\n", 2},
        {u"a\n\rb", u"a\r\n\r\nb", 3},
        {u"a\r\r\nb", u"a\r\n\r\nb", 3},
        {u"\n", u"\r\n", 1},
        {u"\r", u"\r\n", 1},
        {u"", u"", 0},
        {u"a", u"a", 1},
        {u"a\r\n\r\n", u"a\r\n\r\n", 2},
        {u"\n\r\n\rb", u"\r\n\r\n\r\nb", 4},
    };
    for (const Case& c : cases) {
        TMemoLines lines;
        lines.SetText(StringView(c.in));
        EXPECT_EQ(lines.Text(), String(c.text)) << ToUtf8(c.in);
        EXPECT_EQ(lines.Count(), c.count) << ToUtf8(c.in);
        // A line list splits by the same rule.
        std::vector<String> split;
        ForEachLine(c.in, [&](StringView line) { split.emplace_back(line); });
        EXPECT_EQ(split, Lines(lines)) << ToUtf8(c.in);
    }
}

TEST(MemoLines, SameLinesWhateverTheBreaks) {
    TMemoLines crlf, lf, cr;
    crlf.SetText(StringView(u"E01 header\r\nE14 one\r\nE14 two\r\n"));
    lf.SetText(StringView(u"E01 header\nE14 one\nE14 two\n"));
    cr.SetText(StringView(u"E01 header\rE14 one\rE14 two"));
    EXPECT_EQ(Lines(crlf), Lines(lf));
    EXPECT_EQ(Lines(crlf), Lines(cr));
    EXPECT_EQ(Lines(crlf), (std::vector<String>{u"E01 header", u"E14 one", u"E14 two"}));
}

TEST(MemoLines, NormalisingInPlaceKeepsEveryCharacter) {
    String text;
    for (int i = 0; i < 1000; ++i)
        text += (i % 3 == 0 ? u"x\n" : i % 3 == 1 ? u"yy\r" : u"zzz\r\n");
    String normal = NormaliseLineBreaks(String(text));
    String expected;
    for (int i = 0; i < 1000; ++i)
        expected += (i % 3 == 0 ? u"x\r\n" : i % 3 == 1 ? u"yy\r\n" : u"zzz\r\n");
    EXPECT_EQ(normal, expected);
}

TEST(MemoLines, ReadingCutsAt4096ButTheRowStaysWhole) {
    TMemoLines lines;
    String longLine(5000, u'x');
    longLine[4095] = u'y';
    lines.SetText(longLine + u"\r\nshort");
    EXPECT_EQ(lines.Get(0).size(), 4096u);
    EXPECT_EQ(lines.Get(0).back(), u'y');
    EXPECT_EQ(lines.Row(0).size(), 5000u);
    EXPECT_EQ(lines.Get(1), u"short");
    EXPECT_THROW(lines.Get(2), EListError);
    EXPECT_THROW(lines.Get(-1), EListError);
}

TEST(MemoLines, EqualTextIsNoChange) {
    TMemoLines lines;
    lines.SetText(StringView(u"a\r\nb"));
    int changes = 0;
    lines.OnChange = [&](TStrings&) { ++changes; };
    lines.SetText(StringView(u"a\nb"));
    EXPECT_EQ(changes, 0);
    lines.SetText(StringView(u"a\nc"));
    EXPECT_EQ(changes, 1);
}

TEST(MemoLines, AddAppendsALineAndEndsTheTextWithABreak) {
    TMemoLines lines;
    lines.Add(u"first");
    EXPECT_EQ(lines.Text(), u"first\r\n");
    lines.SetText(StringView(u"no break"));
    lines.Add(u"next ");
    EXPECT_EQ(lines.Text(), u"no break\r\nnext \r\n");
    EXPECT_EQ(lines.Count(), 2);
    lines.Add(u"");
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(2), u"");
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(lines.Text(), u"");
}

TEST(MemoLines, InsertDeleteAndRowLookup) {
    TMemoLines lines;
    lines.SetText(StringView(u"a\r\nccc\r\n"));
    lines.Insert(1, u"bb");
    EXPECT_EQ(lines.Text(), u"a\r\nbb\r\nccc\r\n");
    lines.Delete(0);
    EXPECT_EQ(lines.Text(), u"bb\r\nccc\r\n");
    EXPECT_EQ(lines.RowCount(), 3); // the empty row after the last break is drawn
    EXPECT_EQ(lines.RowOfOffset(0), 0);
    EXPECT_EQ(lines.RowOfOffset(3), 0);
    EXPECT_EQ(lines.RowOfOffset(4), 1);
    EXPECT_EQ(lines.RowLength(1), 3u);
    EXPECT_EQ(lines.RowStart(2), lines.TextRef().size());
}

TEST(MemoLines, ViewIsToldHowRowsChanged) {
    TMemoLines lines;
    std::vector<std::pair<TMemoChange, int>> seen;
    lines.OnRowsChanged = [&](TMemoChange change, int first) { seen.push_back({change, first}); };
    lines.SetText(StringView(u"a\r\nb\r\n"));
    lines.Add(u"c");
    lines.Insert(0, u"z");
    lines.Clear();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(TMemoChange::Replaced, 0));
    EXPECT_EQ(seen[1], std::make_pair(TMemoChange::Appended, 1));
    EXPECT_EQ(seen[2], std::make_pair(TMemoChange::Edited, 0));
    EXPECT_EQ(seen[3], std::make_pair(TMemoChange::Replaced, 0));
}

TEST(MemoLines, TextOverCapacityFailsAndKeepsWhatWasThere) {
    TMemoLines lines;
    lines.SetText(StringView(u"kept"));
    lines.SetCapacity(10);
    try {
        lines.SetText(StringView(u"0123456789A"));
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), u"Text exceeds memo capacity");
    }
    EXPECT_EQ(lines.Text(), u"kept");
    EXPECT_THROW(lines.Add(u"123456"), EInvalidOperation);
    EXPECT_EQ(lines.Text(), u"kept");
    // A lone break grows by one character when normalised, and that counts.
    EXPECT_THROW(lines.SetText(StringView(u"123456789\n")), EInvalidOperation);
    lines.SetText(StringView(u"12345678\n"));
    EXPECT_EQ(lines.Count(), 1);
}

TEST(MemoLines, ManyAppendsStayLinear) {
    TMemoLines lines;
    for (int i = 0; i < 200000; ++i)
        lines.Add(u"12:00:00 -> Documento: 000123");
    EXPECT_EQ(lines.Count(), 200000);
    EXPECT_EQ(lines.Get(199999), u"12:00:00 -> Documento: 000123");
}
