#include "base/LocaleDate.h"
#include "base/RegionalSettings.h"
#include "tests/support/GeneratedLocale.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale.h>

using namespace orv;
using namespace std::chrono;
using orv::test::ScopedEnv;
using orv::test::TempDir;

TEST(ShortDateFormat, KeepsNumericFormatsAndFallsBackToIso) {
    EXPECT_EQ(ShortDateFormatFrom("%m/%d/%y"), "%m/%d/%y");
    EXPECT_EQ(ShortDateFormatFrom("%d.%m.%Y"), "%d.%m.%Y");
    EXPECT_EQ(ShortDateFormatFrom("%D"), "%D");
    EXPECT_EQ(ShortDateFormatFrom("%Od/%Om/%Ey"), "%d/%m/%y");
    EXPECT_EQ(ShortDateFormatFrom("%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5"), "%Y-%m-%d");
    EXPECT_EQ(ShortDateFormatFrom("%a %d %b %Y"), "%Y-%m-%d");
    EXPECT_EQ(ShortDateFormatFrom("%d.%m"), "%Y-%m-%d");
    EXPECT_EQ(ShortDateFormatFrom("%d.%m.%"), "%Y-%m-%d");
    EXPECT_EQ(ShortDateFormatFrom(""), "%Y-%m-%d");
}

TEST(ShortDateFormat, CLocaleFormatsAndParsesItsOwnDates) {
    ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(UserShortDateFormat(), "%m/%d/%y");
    EXPECT_EQ(UserDateSeparator(), "/");
    const year_month_day date{year(2003), January, day(31)};
    EXPECT_EQ(FormatShortDate(date), "01/31/03");
    EXPECT_EQ(ParseShortDate(" 01/31/03 "), date);
    EXPECT_EQ(ParseShortDate("1/31/03"), date);
    for (const char* bad : {"", "31.01.2003", "02/30/03", "13/01/03", "01/31/03x", "01/31"})
        EXPECT_EQ(ParseShortDate(bad), std::nullopt) << bad;

    EXPECT_EQ(FormatDate(date, "%d.%m.%Y"), "31.01.2003");
    EXPECT_EQ(ParseDate("29.02.2024", "%d.%m.%Y"), (year_month_day{year(2024), February, day(29)}));
    EXPECT_EQ(ParseDate("29.02.2023", "%d.%m.%Y"), std::nullopt);
}

TEST(ShortDateFormat, UnknownLocaleActsAsC) {
    ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(UserShortDateFormat(), "%m/%d/%y");
    EXPECT_EQ(UserDateSeparator(), "/");
}

TEST(ShortDateFormat, FollowsLcTimeWithoutTouchingTheProcessLocale) {
    const orv::test::GeneratedLocale russian("ru_RU");
    ScopedEnv all("LC_ALL", "");
    ScopedEnv time("LC_TIME", "ru_RU.UTF-8");
    ScopedEnv lang("LANG", "C");
    if (!russian.Ok()) GTEST_SKIP() << "cannot generate the ru_RU.UTF-8 locale";

    const std::string before = std::setlocale(LC_TIME, nullptr);
    EXPECT_EQ(UserShortDateFormat(), "%d.%m.%Y");
    EXPECT_EQ(UserDateSeparator(), ".");
    const year_month_day date{year(2003), January, day(1)};
    EXPECT_EQ(FormatShortDate(date), "01.01.2003");
    EXPECT_EQ(ParseShortDate("1.1.2003"), date);
    EXPECT_EQ(ParseShortDate("01/01/03"), std::nullopt);
    EXPECT_EQ(std::setlocale(LC_TIME, nullptr), before);
}
