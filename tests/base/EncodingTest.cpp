// Code pages: Windows-1252 both ways, UTF-8 and UTF-16, and the iconv-backed ones.
#include "base/Encoding.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace ortavo;

TEST(Encoding, Windows1252DecodesEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    String text = Encoding::Ansi().Decode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text[0x41], u'A');
    EXPECT_EQ(text[0x80], u'€');
    EXPECT_EQ(text[0x9F], u'Ÿ');
    EXPECT_EQ(text[0xE7], u'ç');
    // The five undefined bytes stay the same-numbered control characters.
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(text[static_cast<std::size_t>(b)], static_cast<char16_t>(b));
    EXPECT_EQ(Encoding::Ansi().Encode(text), all);
}

TEST(Encoding, Windows1252EncodesMissingCharactersAsQuestionMarks) {
    EXPECT_EQ(Encoding::Ansi().Encode(u"Ação €ł"), "A\xE7\xE3o \x80?");
}

TEST(Encoding, Utf8AndUtf16RoundTrip) {
    String text = u"Acréscimo 𝄞 €";
    EXPECT_EQ(Encoding::Utf8().Decode(Encoding::Utf8().Encode(text)), text);
    const auto& le = Encoding::ForCodePage(CodePageUtf16LE);
    const auto& be = Encoding::ForCodePage(CodePageUtf16BE);
    EXPECT_EQ(le.Encode(u"E0"), std::string("E\0"
                                            "0\0",
                                            4));
    EXPECT_EQ(be.Encode(u"E0"), std::string("\0E\0"
                                            "0",
                                            4));
    EXPECT_EQ(le.Decode(le.Encode(text)), text);
    EXPECT_EQ(be.Decode(be.Encode(text)), text);
}

TEST(Encoding, AppendingAndDecodingIntoKeptText) {
    // After what is there already; an ASCII start, then the rest; a lone surrogate is U+FFFD.
    std::string out = "x";
    const String text = String(u"ab\u00E7\U0001D11E") + char16_t(0xD800) + u'c';
    AppendUtf8(text, out);
    EXPECT_EQ(out, "xab\xC3\xA7\xF0\x9D\x84\x9E\xEF\xBF\xBD"
                   "c");
    // A kept text holds only the last value, also after a longer one.
    String kept;
    for (const auto* encoding : {&Encoding::Ansi(), &Encoding::Utf8()}) {
        encoding->DecodeInto("longer text", kept);
        encoding->DecodeInto("A\xC3\xA7", kept);
        EXPECT_EQ(kept, encoding->Decode("A\xC3\xA7"));
    }
}

TEST(Encoding, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xC3(b\xFF"), u"a\uFFFD(b\uFFFD");
    EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
}

TEST(Encoding, DatabaseCodePagesConvert) {
    EXPECT_EQ(Encoding::ForCodePage(1251).Decode("\xC0\xE1"), u"Аб");
    EXPECT_EQ(Encoding::ForCodePage(850).Decode("\x87"), u"ç");
    EXPECT_EQ(Encoding::ForCodePage(932).Decode("\x82\xA0"), u"あ");
    EXPECT_EQ(Encoding::ForCodePage(932).Encode(u"あ"), "\x82\xA0");
    EXPECT_EQ(Encoding::ForCodePage(28591).Encode(u"é€"), "\xE9?");
    EXPECT_EQ(Encoding::ForCodePage(20127).Decode("A\xE9"), u"A\uFFFD");
    EXPECT_EQ(Encoding::ForCodePage(1250).CodePage(), 1250);
    EXPECT_EQ(Encoding::ForCodePage(52936).Decode("\xD6\xD0"), u"中");
    EXPECT_THROW(Encoding::ForCodePage(12345), EEncodingError);
    // No nearest letter for what a code page lacks; broken and cut characters amid good ones.
    EXPECT_EQ(Encoding::ForCodePage(28591).Encode(u"ā"), "?");
    EXPECT_EQ(Encoding::ForCodePage(1251).Encode(u"Щё€é"), "\xD9\xB8\x88?");
    EXPECT_EQ(Encoding::ForCodePage(932).Decode("\x82\xA0x\x82"), u"あx\uFFFD");
    EXPECT_EQ(Encoding::ForCodePage(51932).Decode("\xA4\xA2"), u"あ");
    EXPECT_EQ(Encoding::ForCodePage(866).Encode(u"Привет"), "\x8F\xE0\xA8\xA2\xA5\xE2");
    EXPECT_EQ(Encoding::ForCodePage(866).Decode("\x8F\xE0\xA8\xA2\xA5\xE2"), u"Привет");
}
