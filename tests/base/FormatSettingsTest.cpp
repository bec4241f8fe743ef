// Regional settings read from the process locale.
#include "base/FormatSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace ortavo;

namespace {

// Sets LC_ALL for the test's duration.
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

private:
    std::string FOld;
    bool FHadOld = false;
};

} // namespace

TEST(FormatSettings, BrazilianLocaleGivesCommaSlashColonAndPortugueseMonths) {
    ScopedLocaleEnvironment env("pt_BR.UTF-8");
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
