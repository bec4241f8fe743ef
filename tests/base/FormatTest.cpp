// Message formatting with the placeholders of the error tables, the system's error texts and
// the case of texts beyond ASCII.
#include "base/Format.h"
#include "Regional.h"
#include "base/CharClass.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <utility>

using namespace ortavo;

TEST(Format, FillsTextIntegerAndHexadecimalPlaceholders) {
    EXPECT_EQ(Format(u"DPB Constant (%s) is unknown", {u"user_name "}),
              u"DPB Constant (user_name ) is unknown");
    EXPECT_EQ(Format(u"Windows API error. (Windows error %d [$%.8x])", {5, 5}),
              u"Windows API error. (Windows error 5 [$00000005])");
    EXPECT_EQ(Format(u"%.8x", {-1}), u"FFFFFFFF");
    EXPECT_EQ(Format(u"%d%%", {-42}), u"-42%");
    EXPECT_EQ(Format(u"no placeholders", {u"ignored"}), u"no placeholders");
    EXPECT_EQ(Format(u"[%5s|%-3d]", {u"ab", 7}), u"[   ab|7  ]");
}

TEST(Format, RefusesMissingOrMismatchedArguments) {
    EXPECT_THROW(Format(u"%s and %s", {u"one"}), EConvertError);
    EXPECT_THROW(Format(u"%d", {u"text"}), EConvertError);
    EXPECT_THROW(Format(u"%s", {3}), EConvertError);
    EXPECT_THROW(Format(u"trailing %", {}), EConvertError);
}

TEST(Format, RefusesWidthsAndPrecisionsBeyondItsBound) {
    // The widest field is padded in full; one more is the conversion error, however the
    // number would wrap in an int (4294967306 wraps to 10).
    EXPECT_EQ(Format(u"%4096s", {u"x"}).size(), 4096u);
    EXPECT_EQ(Format(u"%.4096d", {7}).size(), 4096u);
    const std::pair<const char16_t*, FormatArg> cases[] = {
        {u"%4097s", u"x"}, {u"%1500000000s", u"x"},         {u"%4294967306d", 1},
        {u"%.4097x", 1},   {u"%-99999999999999999999d", 1}, {u"%.4294967297s", u"x"}};
    for (const auto& [pattern, arg] : cases) {
        try {
            Format(pattern, {arg});
            ADD_FAILURE() << "accepted " << ToUtf8(pattern);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      u"Format '" + String(pattern) + u"' invalid or incompatible with argument");
        }
    }
}

TEST(Exceptions, CarryMessageClassAndInnermostCause) {
    auto inner = std::make_shared<EConvertError>(u"Invalid date");
    Exception outer(u"outer", inner);
    EXPECT_EQ(&outer.GetBaseException(), inner.get());
    EXPECT_STREQ(outer.GetBaseException().ClassName(), "EConvertError");
    EXPECT_STREQ(outer.what(), "outer");
    EFOpenError open(u"Cannot open file \"/tmp/x\". Não");
    EXPECT_STREQ(open.what(), "Cannot open file \"/tmp/x\". Não");
    EXPECT_EQ(&open.GetBaseException(), &open);
}

TEST(Exceptions, OperatingSystemErrorsNameCodeAndText) {
    try {
        RaiseOSError(2);
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
        EXPECT_EQ(e.Message(), u"System Error.  Code: 2.\r\nNo such file or directory");
    }
}

#ifdef _WIN32
TEST(Exceptions, WindowsErrorTextsInEnglishWithoutTheLineBreak) {
    // The texts are the system's own; English has no accents, the other languages do.
    for (const std::uint32_t code : {2u, 5u, 32u}) {
        const String text = WindowsErrorText(code);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), u'.') << ToUtf8(text);
        for (const char16_t c : text)
            EXPECT_LT(c, 0x80) << ToUtf8(text);
    }
    EXPECT_EQ(WindowsErrorText(0x20001234), u"Unknown error 536875572");
}
#endif

TEST(Text, UpperCaseAndLettersBeyondAsciiWhateverTheLocale) {
    const ortavo::testing::ScopedCommaLocale brazilian;
    const String text = u"ação à régua, pôr-do-sol; ü ÿ ß ж 1º €";
    String upper;
    for (const char16_t c : text)
        upper += CharUpperFull(c);
    EXPECT_EQ(upper, u"AÇÃO À RÉGUA, PÔR-DO-SOL; Ü Ÿ ß Ж 1º €");
    EXPECT_TRUE(SameTextFull(u"Preço_Máximo", u"PREÇO_MÁXIMO"));
    EXPECT_FALSE(SameTextFull(u"preço", u"preco"));
    for (const char16_t letter : {u'ç', u'Ã', u'ж', u'ª'})
        EXPECT_TRUE(IsUnicodeLetter(letter)) << static_cast<int>(letter);
    for (const char16_t other : {u'€', u'×', u'·', u'\u00A0', u'²'})
        EXPECT_FALSE(IsUnicodeLetter(other)) << static_cast<int>(other);
}
