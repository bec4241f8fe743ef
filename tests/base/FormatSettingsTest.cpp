// Regional settings read from the process locale.
#include "base/FormatSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

using namespace ortavo;

namespace {

#ifndef _WIN32
// Sets LC_ALL for the test's duration; the settings are read from it.
class ScopedLocaleEnvironment {
public:
    explicit ScopedLocaleEnvironment(const char* name) {
        if (const char* old = std::getenv("LC_ALL"))
            FOld = old, FHadOld = true;
        setenv("LC_ALL", name, 1);
    }
    ~ScopedLocaleEnvironment() {
        if (FHadOld)
            setenv("LC_ALL", FOld.c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    bool InForce() const { return true; }

private:
    std::string FOld;
    bool FHadOld = false;
};
#else
// The settings come from the Windows user's locale, which a process cannot change for
// itself; Wine takes it from LC_ALL when the process starts, so a case runs in the locale
// the process was started in.
class ScopedLocaleEnvironment {
public:
    explicit ScopedLocaleEnvironment(const char* name) {
        const char* started = std::getenv("LC_ALL");
        FInForce = started && Language(started) == Language(name);
    }
    bool InForce() const { return FInForce; }

private:
    static std::string_view Language(std::string_view locale) {
        return locale.substr(0, locale.find('.'));
    }
    bool FInForce = false;
};
#endif

} // namespace

TEST(FormatSettings, BrazilianLocaleGivesCommaSlashColonAndPortugueseMonths) {
    ScopedLocaleEnvironment env("pt_BR.UTF-8");
    if (!env.InForce())
        GTEST_SKIP() << "runs where the process starts in pt_BR.UTF-8";
    FormatSettings s = FormatSettings::FromProcessLocale();
    ASSERT_EQ(s.DecimalSeparator, u',')
        << "the pt_BR.UTF-8 locale is missing: scripts/setup makes it";
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(s.LongMonthNames[2], u"março");
    EXPECT_EQ(s.LongMonthNames[11], u"dezembro");
}

TEST(FormatSettings, CLocaleGivesPointAndEnglishMonths) {
    ScopedLocaleEnvironment env("C");
    if (!env.InForce())
        GTEST_SKIP() << "runs where the process starts in the C locale";
    FormatSettings s = FormatSettings::FromProcessLocale();
    EXPECT_EQ(s.DecimalSeparator, u'.');
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(s.LongMonthNames[0], u"January");
}

TEST(FormatSettings, ScopedSettingsRestoreThePreviousOnes) {
    char16_t before = CurrentFormatSettings().DecimalSeparator;
    {
        FormatSettings comma;
        comma.DecimalSeparator = before == u',' ? u'.' : u',';
        ScopedFormatSettings scoped(comma);
        EXPECT_NE(CurrentFormatSettings().DecimalSeparator, before);
    }
    EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, before);
}
