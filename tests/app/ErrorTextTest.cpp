// The texts the boxes show: the title rule, the error box's period and inner-exception
// rules, and the start-up failure box's pattern.
#include "app/ErrorText.h"
#include "app/Title.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

using namespace ortavo;

TEST(Title, NameAfterTheLastSlashCutAtTheFirstPeriodLowerCasedAfterTheFirst) {
    struct {
        const char16_t *path, *title;
    } cases[] = {
        {u"/opt/ortavo/ORTAVO", u"Ortavo"},
        {u"/usr/bin/ortavo", u"ortavo"},
        {u"/home/op/Ortavo.beta", u"Ortavo"},
        {u"ORTAVO.EXE", u"Ortavo"},
        {u"/a.b/ORTAVO", u"Ortavo"},
        {u"/x/ÁRVORE", u"Árvore"},
        {u"/x/.hidden", u""},
        {u"", u""},
    };
    for (auto c : cases)
        EXPECT_EQ(TitleFromExePath(c.path), String(c.title)) << ToUtf8(c.path);
}

TEST(ErrorBoxText, PeriodAfterAnyLastCharacterAboveThePeriod) {
    struct {
        const char16_t *message, *shown;
    } cases[] = {
        {u"Invalid date", u"Invalid date."},
        {u"Text exceeds memo capacity", u"Text exceeds memo capacity."},
        {u"Why?", u"Why?."},
        {u"value:", u"value:."},
        {u"c:/dir/", u"c:/dir/."},
        {u"code 5", u"code 5."},
        {u"não é válido é", u"não é válido é."},
        {u"Done.", u"Done."},
        {u"Stop!", u"Stop!"},
        {u"(see log)", u"(see log)"},
        {u"trailing ", u"trailing "},
        {u"quote'", u"quote'"},
        {u"list,", u"list,"},
        {u"dash-", u"dash-"},
        {u"line\r\n", u"line\r\n"},
        {u"", u""},
    };
    for (auto c : cases)
        EXPECT_EQ(ErrorBoxText(Exception(c.message)), String(c.shown)) << ToUtf8(c.message);
}

TEST(ErrorBoxText, TheInnermostNonEmptyMessageWins) {
    auto innermost = std::make_shared<EConvertError>(u"Invalid date");
    auto middle = std::make_shared<Exception>(u"middle", innermost);
    EXPECT_EQ(ErrorBoxText(Exception(u"outer", middle)), u"Invalid date.");
    auto empty = std::make_shared<Exception>(u"");
    EXPECT_EQ(ErrorBoxText(Exception(u"outer", empty)), u"outer.");
}

TEST(StartupFailureText, PatternAndItsOwnPeriodRule) {
    EFOpenError e(u"Cannot open file \"x\". No such file or directory");
    EXPECT_EQ(StartupFailureText(e, u"Ortavo", 0x1A2B),
              u"Exception EFOpenError in module Ortavo at 00001A2B.\r\n"
              u"Cannot open file \"x\". No such file or directory.\r\n");
    EXPECT_EQ(StartupFailureText(EAbort(u"Stop!"), u"m", 0),
              u"Exception EAbort in module m at 00000000.\r\nStop!.\r\n");
    EXPECT_EQ(StartupFailureText(Exception(u"ends."), u"m", 0),
              u"Exception Exception in module m at 00000000.\r\nends.\r\n");
    EXPECT_EQ(StartupFailureText(Exception(u""), u"m", 0),
              u"Exception Exception in module m at 00000000.\r\n\r\n");
}

TEST(VisitException, ForeignExceptionsAreShownByTheirText) {
    String message, className;
    auto see = [&](const Exception& e) {
        message = e.Message();
        className = FromUtf8(e.ClassName());
    };
    VisitException(std::make_exception_ptr(std::bad_alloc()), see);
    EXPECT_EQ(message, u"Out of memory");
    EXPECT_EQ(className, u"EOutOfMemory");
    VisitException(std::make_exception_ptr(std::runtime_error("broken pipe")), see);
    EXPECT_EQ(message, u"broken pipe");
    VisitException(std::make_exception_ptr(EConvertError(u"Invalid date")), see);
    EXPECT_EQ(className, u"EConvertError");
}
