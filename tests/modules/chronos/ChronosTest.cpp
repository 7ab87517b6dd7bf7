// chronos as the host sees it: the built library loaded by path, its descriptor and its answers
// for a fixed clock.
#include "base/Cp1251.h"
#include "host/ModuleLibrary.h"
#include "tests/support/BuiltModule.h"
#include "modules/chronos/ChronosTesting.h"
#include "tests/support/GeneratedLocale.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <locale.h>

using namespace orv;
using orv::test::ScopedEnv;
using orv::test::TBuiltModule;
using orv::test::TempDir;
using orv::test::WriteText;

namespace {

const std::string kChronosPath = std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/software/chronos.so";

enum : int32_t {
    tagTime,
    tagDate,
    tagUptime,
    tagDayOfWeek,
    tagNowHour,
    tagNowMin,
    tagNowSec,
    tagNowDay,
    tagNowMonth,
    tagNowMonthStr,
    tagNowYear
};

class Chronos : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(docs / "Orvanta3.ini", "[Common]\nLanguage=\n");
        ASSERT_TRUE(module.Loaded());
        setTime = reinterpret_cast<TSetWallClockFunc>(module.Library().Symbol(kSetWallClockExport));
        setUptime = reinterpret_cast<TChronosSetUptimeFunc>(
            module.Library().Symbol(kChronosSetUptimeExport));
        ASSERT_TRUE(setTime && setUptime);
    }
    void TearDown() override {
        if (setTime) setTime(nullptr);
        if (setUptime) setUptime(nullptr);
    }

    void SetClock(TWallTime time, uint64_t uptimeMs) {
        setTime(&time);
        setUptime(&uptimeMs);
    }

    void LoadSettings() { ASSERT_EQ(module.Descriptor().LoadSettings(), 0); }

    // 5 March 2026, a Thursday, at the given time, 30 h 2 min 5 s after boot.
    void At(int hour, int minute, int second, uint64_t uptimeMs = 108125000) {
        SetClock({2026, 3, 5, hour, minute, second}, uptimeMs);
    }

    std::string Value(int32_t index, const char* param = "0") { return module.Value(index, param); }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv language{"LC_ALL", "C"};
    TBuiltModule module{"chronos.so"};
    TSetWallClockFunc setTime = nullptr;
    TChronosSetUptimeFunc setUptime = nullptr;
};

std::string Hint(const char* first, const char* usage) {
    return Utf8ToCp1251(std::string(first) + "\r\r" + usage);
}

} // namespace

TEST_F(Chronos, DescriptorListsElevenTagsWithTheirTexts) {
    EXPECT_STREQ(module.Descriptor().Name, "Date/time information");
    const std::string description = module.Descriptor().Description;
    const std::string lead = "Вывод информации о дате/времени\r\r"_cp1251;
    EXPECT_EQ(description.substr(0, lead.size()), lead);
    EXPECT_GT(description.size(), lead.size()) << "an attribution line follows";
    EXPECT_EQ(module.Descriptor().Id, 1);
    EXPECT_EQ(module.Descriptor().TagCount, 11);
    EXPECT_STREQ(module.Descriptor().GroupCaption, "Дата/время"_cp1251);
    EXPECT_STREQ(
        module.Descriptor().TagHints[0],
        "Текущие дата/время, время работы компьютера с момента последней перезагрузки"_cp1251);
    EXPECT_TRUE(module.Descriptor().GetValue);
    EXPECT_TRUE(module.Descriptor().LoadSettings);
    EXPECT_FALSE(module.Descriptor().Configure);
    EXPECT_FALSE(module.Descriptor().Finalize);

    struct Row {
        const char* name;
        const char* caption;
        const char* example;
        std::string hint;
    };
    const Row rows[] = {
        {"$time", "текущее время", "$time[5,,,3]$",
         Hint("Показать текущее значение времени",
              "Использование - $time$ с параметром \"частота обновления\" средняя или высокая")},
        {"$date", "текущая дата", "$date$",
         Hint("Показать текущее значение даты",
              "Использование - $date$ с параметром \"частота обновления\", если предполагается "
              "длительный показ экрана с тегом \"дата\"")},
        {"$uptime", "время работы", "$uptime[5,,,3]$",
         Hint("Показать продолжительность работы компьютера с момента последнего запуска",
              "Использование - $uptime$ с параметром \"частота обновления\"")},
        {"$dayofweek", "день недели", "$dayofweek$",
         Hint("Показать день недели", "Использование - $dayofweek$")},
        {"$nowHour", "часы (сейчас)", "$nowHour[,,2,1]$",
         Hint("Показать текущий час", "Использование - $nowHour$ с параметром \"ширина\" = 2")},
        {"$nowMin", "минуты (сейчас)", "$nowMin[,,2,1]$",
         Hint("Показать текущую минуту", "Использование - $nowMin$ с параметром \"ширина\" = 2")},
        {"$nowSec", "секунды (сейчас)", "$nowSec[,,2,3]$",
         Hint("Показать текущую секунду", "Использование - $nowSec$ с параметром \"ширина\" = 2")},
        {"$nowDay", "день (сегодня)", "$nowDay$",
         Hint("Показать текущий день", "Использование - $nowDay$")},
        {"$nowMonth", "месяц (сегодня)", "$nowMonth$",
         Hint("Показать текущий месяц", "Использование - $nowMonth$")},
        {"$nowMonthStr", "месяц симв. (сегодня)", "$nowMonthStr$",
         Utf8ToCp1251("Показать текущий месяц прописью")},
        {"$nowYear", "год (сегодня)", "$nowYear$",
         Hint("Показать текущий год", "Использование - $nowYear$")},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const size_t k = i + 1;
        SCOPED_TRACE(rows[i].name);
        EXPECT_STREQ(module.Descriptor().TagNames[k], rows[i].name);
        EXPECT_EQ(module.Descriptor().TagCaptions[k], Utf8ToCp1251(rows[i].caption));
        EXPECT_STREQ(module.Descriptor().TagExamples[k], rows[i].example);
        EXPECT_EQ(module.Descriptor().TagHints[k], rows[i].hint);
    }
    for (int k = 0; k <= kMaxTags; ++k) {
        if (k >= 1 && k <= 11) continue;
        SCOPED_TRACE(k);
        EXPECT_STREQ(module.Descriptor().TagNames[k], "");
        EXPECT_STREQ(module.Descriptor().TagCaptions[k], "");
        EXPECT_STREQ(module.Descriptor().TagExamples[k], "");
        if (k > 0) {
            EXPECT_STREQ(module.Descriptor().TagHints[k], "");
        }
    }
    EXPECT_EQ(module.Library().DataModuleDescriptor(), &module.Descriptor())
        << "getPlugin: the same record";
}

TEST_F(Chronos, TimeSelectors) {
    LoadSettings();
    At(9, 3, 7);
    EXPECT_EQ(Value(tagTime, "0"), "32587") << "$time$: seconds since midnight";
    EXPECT_EQ(Value(tagTime, ""), "09:03:07") << "empty parameter: selector 5";
    EXPECT_EQ(Value(tagTime, "x"), "09:03:07") << "not a number: selector 5";
    EXPECT_EQ(Value(tagTime, "1"), "09 03") << "odd second: blank";
    EXPECT_EQ(Value(tagTime, "257"), "09 03") << "low 8 bits";
    EXPECT_EQ(Value(tagTime, "2"), "09 h 03 m");
    EXPECT_EQ(Value(tagTime, "3"), "03:07");
    EXPECT_EQ(Value(tagTime, "4"), "03 m 07 s");
    EXPECT_EQ(Value(tagTime, "5"), "09:03:07");
    EXPECT_EQ(Value(tagTime, "6"), "09 h 03 m 07 s");
    EXPECT_EQ(Value(tagTime, "7"), "");
    EXPECT_EQ(Value(tagTime, "-1"), "");

    At(14, 5, 8);
    EXPECT_EQ(Value(tagTime, "1"), "14:05") << "even second: colon";
    At(23, 59, 59);
    EXPECT_EQ(Value(tagTime, "0"), "86399");
    At(0, 0, 0);
    EXPECT_EQ(Value(tagTime, "0"), "0");
}

TEST_F(Chronos, UnitWordsComeFromTheSettingsOnlyThroughLoadSettings) {
    At(9, 3, 7);
    EXPECT_EQ(Value(tagTime, "2"), "09  03 ") << "empty until LoadSettings";

    LoadSettings();
    EXPECT_EQ(Value(tagTime, "2"), "09 h 03 m") << "no Shortcuts section: h, m, s";

    WriteText(docs / "Orvanta3.ini", "[Shortcuts]\nHour=\nMin=min\nSec=\"sec\"\nKilo=K\n");
    EXPECT_EQ(Value(tagTime, "2"), "09 h 03 m") << "the file is read only by LoadSettings";
    LoadSettings();
    EXPECT_EQ(Value(tagTime, "2"), "09  03 min");
    EXPECT_EQ(Value(tagUptime, "6"), "30  02 min 05 sec");
}

TEST_F(Chronos, UptimeSelectors) {
    LoadSettings();
    At(9, 3, 7, 108125000);
    EXPECT_EQ(Value(tagUptime, "5"), "30:02:05") << "hours not wrapped at 24";
    EXPECT_EQ(Value(tagUptime, "0"), "108125");
    EXPECT_EQ(Value(tagUptime, "1"), "30 02") << "odd uptime second: blank";
    EXPECT_EQ(Value(tagUptime, "4"), "02 m 05 s");
    EXPECT_EQ(Value(tagUptime, ""), "30:02:05");
    EXPECT_EQ(Value(tagUptime, "7"), "");
    At(9, 3, 7, 108125999);
    EXPECT_EQ(Value(tagUptime, "0"), "108125") << "whole seconds";
    At(9, 3, 7, 60ULL * 24 * 3600 * 1000);
    EXPECT_EQ(Value(tagUptime, "5"), "1440:00:00") << "past 2^32 ms the count goes on";
}

TEST_F(Chronos, DateAndItsFields) {
    LoadSettings();
    At(9, 3, 7);
    EXPECT_EQ(Value(tagDate, "0"), "05/03/26");
    EXPECT_EQ(Value(tagDate, "1"), "05/03/2026");
    EXPECT_EQ(Value(tagDate, "2"), "05/03");
    EXPECT_EQ(Value(tagDate, "7"), "05/03/26");
    EXPECT_EQ(Value(tagDate, ""), "05/03/26");
    EXPECT_EQ(Value(tagDate, "258"), "05/03") << "low 8 bits";

    EXPECT_EQ(Value(tagDayOfWeek), "четверг"_cp1251);
    EXPECT_EQ(Value(tagNowHour, ""), "09");
    EXPECT_EQ(Value(tagNowMin, "5"), "03");
    EXPECT_EQ(Value(tagNowSec), "07");
    EXPECT_EQ(Value(tagNowDay), "05");
    EXPECT_EQ(Value(tagNowMonth), "03");
    EXPECT_EQ(Value(tagNowMonthStr), "мар."_cp1251);
    EXPECT_EQ(Value(tagNowYear), "2026");

    SetClock({2027, 1, 3, 21, 40, 0}, 0);
    EXPECT_EQ(Value(tagDayOfWeek), "воскресенье"_cp1251);
    EXPECT_EQ(Value(tagNowMonthStr), "янв."_cp1251);
    EXPECT_EQ(Value(tagNowSec), "00");
    SetClock({2030, 12, 29, 0, 0, 0}, 0);
    EXPECT_EQ(Value(tagDayOfWeek), "воскресенье"_cp1251);
    EXPECT_EQ(Value(tagNowMonthStr), "дек."_cp1251);
    SetClock({2024, 2, 26, 0, 0, 0}, 0);
    EXPECT_EQ(Value(tagDayOfWeek), "понедельник"_cp1251);
    EXPECT_EQ(Value(tagNowMonthStr), "февр."_cp1251);
    EXPECT_EQ(Value(tagDate, "0"), "26/02/24");
}

TEST_F(Chronos, IndexesOutsideTheTagsGiveAnEmptyText) {
    LoadSettings();
    At(9, 3, 7);
    for (int32_t index : {11, 16, -1, -2, 0x7FFF}) {
        ASSERT_EQ(Value(tagTime), "32587");
        EXPECT_EQ(Value(index), "") << index;
    }
    EXPECT_EQ(Value(static_cast<int32_t>(0x12340000 | tagNowYear)), "2026")
        << "only the low 16 bits count";
}

TEST_F(Chronos, DateSeparatorFollowsTheUserLocaleAtLoadSettings) {
    const orv::test::GeneratedLocale russian("ru_RU");
    if (!russian.Ok()) GTEST_SKIP() << "cannot generate the ru_RU.UTF-8 locale";
    const char* dotted = russian.Name().c_str();

    const std::string processLocale = ::setlocale(LC_ALL, nullptr);
    At(9, 3, 7);
    {
        ScopedEnv time("LC_ALL", dotted);
        LoadSettings();
    }
    EXPECT_EQ(Value(tagDate, "0"), "05.03.26");
    EXPECT_EQ(Value(tagDate, "1"), "05.03.2026");
    EXPECT_EQ(::setlocale(LC_ALL, nullptr), processLocale);
    LoadSettings();
    EXPECT_EQ(Value(tagDate, "0"), "05/03/26") << "back in the C locale";
}

TEST_F(Chronos, WithoutATestClockItReadsTheSystemClocks) {
    LoadSettings();
    std::ifstream procUptime("/proc/uptime");
    double bootSeconds = 0;
    procUptime >> bootSeconds;
    const long uptime = std::stol(Value(tagUptime, "0"));
    EXPECT_NEAR(static_cast<double>(uptime), bootSeconds, 120.0);

    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    const int year = std::stoi(Value(tagNowYear));
    EXPECT_TRUE(year == parts.tm_year + 1900 || year == parts.tm_year + 1901) << year;
    EXPECT_EQ(Value(tagNowSec).size(), 2u);
    EXPECT_EQ(Value(tagTime, "5").size(), 8u);
}

// steadyFor keeps its word on the system clocks: until the promise ends every answer is the one
// it was given for, and a promise never reaches past the clock's next second; a pinned clock
// promises nothing.
TEST_F(Chronos, SteadyForHoldsUntilTheNextSecondOfTheSystemClocks) {
    const auto steadyFor =
        reinterpret_cast<TSteadyForFunc>(module.Library().Symbol(kSteadyForExport));
    ASSERT_TRUE(steadyFor);
    LoadSettings();
    using TSteady = std::chrono::steady_clock;
    const struct {
        int32_t index;
        const char* param;
    } tags[] = {{tagTime, "5"}, {tagNowSec, "0"}, {tagDate, "1"}, {tagUptime, "5"}};
    for (const auto& tag : tags) {
        SCOPED_TRACE(tag.index);
        int promised = 0;
        // Near a second's turn the module may promise nothing for a few milliseconds (time()
        // turns a clock tick after the second): rounds go on for a while, not for a count.
        const auto giveUp = TSteady::now() + std::chrono::seconds(10);
        while (promised < 2 && TSteady::now() < giveUp) {
            const std::string answer = Value(tag.index, tag.param);
            const auto asked = TSteady::now();
            const int32_t ms = steadyFor(tag.index, tag.param);
            ASSERT_GE(ms, 0);
            ASSERT_LE(ms, 1000);
            if (ms == 0) continue; // the second turned between the answer and the question
            ++promised;
            // An answer counts when the call ended before the promise did: the module read
            // its clock before then (a check before the call could be followed by a pause).
            const auto end = asked + std::chrono::milliseconds(ms);
            for (std::string again = Value(tag.index, tag.param); TSteady::now() < end;
                 again = Value(tag.index, tag.param))
                ASSERT_EQ(again, answer);
        }
        EXPECT_EQ(promised, 2);
    }
    At(12, 0, 0);
    EXPECT_EQ(Value(tagTime, "5"), "12:00:00");
    EXPECT_EQ(steadyFor(tagTime, "5"), 0);
    EXPECT_FALSE(Value(tagUptime, "5").empty());
    EXPECT_EQ(steadyFor(tagUptime, "5"), 0);
    EXPECT_EQ(steadyFor(99, "5"), 0);
}

TEST(ChronosLibrary, UnloadsSoAReloadStartsFromItsOwnDescriptor) {
    std::string error;
    {
        auto library = TModuleLibrary::Open(kChronosPath, &error);
        ASSERT_TRUE(library) << error;
        TPluginDescriptor* d = library->DataModuleDescriptor(&error);
        ASSERT_TRUE(d) << error;
        d->GroupCaption = "translated"; // as the host does with a language file
    }
    void* still = ::dlopen(kChronosPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (still) ::dlclose(still);
    EXPECT_EQ(still, nullptr) << "released libraries leave the process";

    auto library = TModuleLibrary::Open(kChronosPath, &error);
    ASSERT_TRUE(library) << error;
    EXPECT_STREQ(library->DataModuleDescriptor()->GroupCaption, "Дата/время"_cp1251);
}
