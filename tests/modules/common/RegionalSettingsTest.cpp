#include "base/RegionalSettings.h"
#include "tests/support/GeneratedLocale.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <locale.h>

using namespace orv;
using orv::test::ScopedEnv;

TEST(RegionalSettings, DateSeparatorIsTheTextBetweenTheFirstTwoFields) {
    EXPECT_EQ(DateSeparatorOfFormat("%m/%d/%y"), "/");
    EXPECT_EQ(DateSeparatorOfFormat("%d.%m.%Y"), ".");
    EXPECT_EQ(DateSeparatorOfFormat("%Y-%m-%d"), "-");
    EXPECT_EQ(DateSeparatorOfFormat("%Y. %m. %d."), ". ");
    EXPECT_EQ(DateSeparatorOfFormat("%-d.%-m.%Y"), ".") << "flags";
    EXPECT_EQ(DateSeparatorOfFormat("%Ey/%m/%d"), "/") << "modifier";
    EXPECT_EQ(DateSeparatorOfFormat("%D"), "/");
    EXPECT_EQ(DateSeparatorOfFormat("%F"), "-");
    EXPECT_EQ(DateSeparatorOfFormat("%d%m%Y"), "/") << "no text between the fields";
    EXPECT_EQ(DateSeparatorOfFormat(""), "/");
    EXPECT_EQ(DateSeparatorOfFormat("%"), "/");
}

TEST(RegionalSettings, FollowTheEnvironmentWithoutTouchingTheProcessLocale) {
    const std::string processLocale = ::setlocale(LC_ALL, nullptr);
    {
        ScopedEnv all("LC_ALL", "C");
        EXPECT_EQ(UserDateSeparator(), "/");
        EXPECT_EQ(UserDecimalSeparator(), ".");
    }
    {
        ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
        EXPECT_EQ(UserDateSeparator(), "/") << "a locale that is not installed";
        EXPECT_EQ(UserDecimalSeparator(), ".");
    }
    EXPECT_EQ(::setlocale(LC_ALL, nullptr), processLocale);
}

TEST(RegionalSettings, RussianLocaleUsesFullStopAndComma) {
    const orv::test::GeneratedLocale russian("ru_RU");
    if (!russian.Ok()) GTEST_SKIP() << "cannot generate the ru_RU.UTF-8 locale";
    ScopedEnv all("LC_ALL", russian.Name());
    EXPECT_EQ(UserDateSeparator(), ".");
    EXPECT_EQ(UserDecimalSeparator(), ",");
}
