#include "host/Autostart.h"
#include "base/Cp1251.h"
#include "host/Settings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <utility>
#include <variant>
#include <vector>

using namespace orv;
using namespace std::chrono;
using orv::test::ReadText;
using orv::test::ScopedEnv;
using orv::test::TempDir;
using orv::test::WriteText;

namespace {

// A settings file in a temporary folder; the autostart entry and the date format stay inside
// the test.
class SettingsFile : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir / "config"};
    ScopedEnv locale{"LC_ALL", "C"};
    std::string path = dir / "Orvanta3.ini";

    TSettings ReadAll() const {
        TSettings s(path);
        s.ReadEarly();
        s.ReadMain();
        s.ReadPosition();
        return s;
    }
};

} // namespace

TEST_F(SettingsFile, FirstStartWithoutFileGivesEveryDefault) {
    const TSettings s = ReadAll();
    EXPECT_EQ(s.Common, TCommonSettings());
    EXPECT_EQ(s.INet, TINetSettings());
    EXPECT_EQ(s.Shortcuts, TShortcutSettings());
    EXPECT_EQ(s.VirtualScreen, TVirtualScreenSettings());
    EXPECT_EQ(s.Position, TWindowPosition());
    EXPECT_TRUE(s.Common.ShowSplashScreen);
    EXPECT_EQ(s.Common.BaseTimeoutMs, 250);
    EXPECT_EQ(s.Common.QuitMsg, "Good bye!");
    EXPECT_TRUE(s.Common.StartMsgLine2.ends_with(" v. " ORVANTA3_VERSION));
    EXPECT_EQ(s.INet.NextCheck, (year_month_day{year(2003), January, day(1)}));
    EXPECT_EQ(s.VirtualScreen.PixelOffColor, 8388608);
    EXPECT_FALSE(ReadModuleActive(path, "chronos.so"));
    EXPECT_FALSE(std::filesystem::exists(path)); // reading creates nothing
}

TEST_F(SettingsFile, SaveWritesSectionsAndKeysInOrder) {
    TSettings s(path);
    TSettingsSaveParts parts;
    parts.WriteCustomChars = [](TIniDocument& doc) {
        doc.WriteString("Custom chars", "cust_1", "0,0,0,0,0,0,0,0");
        doc.WriteString("Named chars", "Count", "0");
    };
    parts.Modules = {{"chronos.so", true}, {"procgauge.so", false}};
    parts.WriteCharsetMapping = [](TIniDocument& doc) {
        doc.WriteString("Custom charset mapping", "1", "hb_0");
    };
    ASSERT_TRUE(s.Save(parts));

    const TIniDocument doc = TIniFile(path).Read();
    EXPECT_EQ(doc.Sections(),
              (std::vector<std::string>{"Common", "INet", "Shortcuts", "Virtual screen",
                                        "Custom chars", "Named chars", "chronos.so", "procgauge.so",
                                        "Custom charset mapping"}));
    EXPECT_EQ(doc.Keys("Common"), (std::vector<std::string>{"Autostart",
                                                            "Autoload job",
                                                            "Job name",
                                                            "StartMsg",
                                                            "QuitMsg",
                                                            "StartMsg line2",
                                                            "QuitMsg line2",
                                                            "Language",
                                                            "Show hint",
                                                            "Show splash-screen",
                                                            "Base timeout",
                                                            "Long delay period",
                                                            "Calculate time for long strings",
                                                            "SubScreen show time",
                                                            "Show LCD-screensaver",
                                                            "Transition speed",
                                                            "Bold edit line",
                                                            "Use animation",
                                                            "Scroll delimiter",
                                                            "Use scroll delimiter"}));
    EXPECT_EQ(doc.Keys("INet"), (std::vector<std::string>{"Proxy", "ProxyPort", "Check updates"}));
    EXPECT_EQ(doc.Keys("Shortcuts"),
              (std::vector<std::string>{"Bit", "Byte", "Kilo", "Mega", "Giga", "PerSec", "Hertz",
                                        "Hour", "Min", "Sec"}));
    EXPECT_EQ(
        doc.Keys("Virtual screen"),
        (std::vector<std::string>{"Show", "Pixel ON color", "Pixel OFF color", "Background color",
                                  "Pixel horiz. size", "Pixel vert. size"}));
    EXPECT_TRUE(ReadModuleActive(doc, "chronos.so"));
    EXPECT_FALSE(ReadModuleActive(doc, "procgauge.so"));
    EXPECT_EQ(doc.ReadString("Common", "StartMsg line2", ""), TCommonSettings().StartMsgLine2);
}

TEST_F(SettingsFile, SavedValuesReadBackUnchanged) {
    TSettings s(path);
    s.Common = {true,
                false,
                true,
                "/home/u/Документы/demo.orv3"_cp1251,
                "  padded start",
                "\"quoted\"",
                "Пока!"_cp1251,
                "'x'",
                "English",
                false,
                50,
                4,
                true,
                1,
                true,
                1000,
                false,
                false,
                " * ",
                true};
    s.INet.Proxy = "proxy.local";
    s.INet.ProxyPort = 3128;
    s.INet.CheckUpdates = true;
    s.INet.NextCheck = year_month_day{year(2024), July, day(15)};
    s.INet.Ver = "3.1.0.0";
    s.Shortcuts = {"bit", "B", "K", "M", "G", "/s", "Hz", "h ", "m ", "s"};
    s.VirtualScreen = {true, 255, 0, 65280, 4, 1, -5, 7000};
    ASSERT_TRUE(s.Save());
    ASSERT_TRUE(s.SaveVirtualScreenPosition());
    ASSERT_TRUE(s.SaveUpdateCheck());
    EXPECT_EQ(TIniFile(path).ReadString("INet", "Next check", ""), "07/15/24");

    const TSettings r = ReadAll();
    EXPECT_EQ(r.Common, s.Common);
    EXPECT_EQ(r.INet, s.INet);
    EXPECT_EQ(r.Shortcuts, s.Shortcuts);
    EXPECT_EQ(r.VirtualScreen, s.VirtualScreen);
}

TEST_F(SettingsFile, BadNumbersAndDatesFallBackToDefaults) {
    WriteText(path, "[Common]\nBase timeout=49\nLong delay period=3\nSubScreen show time=0\n"
                    "Transition speed=1001\nShow hint=maybe\n"
                    "[INet]\nProxyPort=70000\nNext check=31.12.2024\n"
                    "[Virtual screen]\nPixel horiz. size=5\nPixel vert. size=0\n"
                    "Pixel ON color=white\n[Position]\nTop=x\nLeft=-20\n");
    TSettings s = ReadAll();
    EXPECT_EQ(s.Common, TCommonSettings());
    EXPECT_EQ(s.INet, TINetSettings());
    EXPECT_EQ(s.VirtualScreen, TVirtualScreenSettings());
    EXPECT_EQ(s.Position.Top, std::nullopt);
    EXPECT_EQ(s.Position.Left, -20);

    WriteText(path, "[Common]\nBase timeout=50\nTransition speed=1000\nLong delay period=4\n"
                    "[INet]\nProxyPort=1\nNext check=12/31/24\n");
    s.ReadMain();
    EXPECT_EQ(s.Common.BaseTimeoutMs, 50);
    EXPECT_EQ(s.Common.TransitionSpeedMs, 1000);
    EXPECT_EQ(s.Common.LongDelayPeriod, 4);
    EXPECT_EQ(s.INet.ProxyPort, 1);
    EXPECT_EQ(s.INet.NextCheck, (year_month_day{year(2024), December, day(31)}));
}

TEST_F(SettingsFile, TheKeysThatFallBackAreThoseThatReadAsTheDefault) {
    const auto doc = TIniDocument::Parse(
        "[Common]\nBase timeout=49\nLong delay period=4\nShow hint=maybe\nStartMsg=x\n"
        "[INet]\nProxyPort=70000\nNext check=31.12.2024\n[Position]\nTop=x\nLeft=-20\n"
        "Width=junk\n");
    std::set<std::string> fallBack;
    for (const TSettingKey& key : SettingKeys())
        if (SettingFallsBack(doc, key)) fallBack.insert(key.Key);
    EXPECT_EQ(fallBack, (std::set<std::string>{"Base timeout", "Show hint", "ProxyPort",
                                               "Next check", "Top"}));
}

TEST_F(SettingsFile, EmptyScrollDelimiterTurnsItOffAndKeepsTheStoredOne) {
    WriteText(path, "[Common]\nScroll delimiter=##\nUse scroll delimiter=1\n");
    TSettings s(path);
    s.ReadMain();
    s.Common.ScrollDelimiter = "";
    s.Common.UseScrollDelimiter = true;
    ASSERT_TRUE(s.Save());
    const TIniDocument doc = TIniFile(path).Read();
    EXPECT_EQ(doc.ReadString("Common", "Scroll delimiter", ""), "##");
    EXPECT_EQ(doc.ReadString("Common", "Use scroll delimiter", ""), "0");
    EXPECT_EQ(s.Common.ScrollDelimiter, "##");
    EXPECT_FALSE(s.Common.UseScrollDelimiter);

    std::filesystem::remove(path);
    s.Common.ScrollDelimiter = "";
    s.Common.UseScrollDelimiter = true;
    ASSERT_TRUE(s.Save());
    EXPECT_FALSE(TIniFile(path).Read().Find("Common", "Scroll delimiter"));
    EXPECT_EQ(s.Common.ScrollDelimiter, "|");
    EXPECT_EQ(ReadAll().Common.UseScrollDelimiter, false);
}

TEST_F(SettingsFile, PositionIsWrittenAtExitAndOnlyTopAndLeftAreRead) {
    WriteText(path, "[Position]\nWidth=640\nHeight=480\n");
    EXPECT_EQ(ReadAll().Position, TWindowPosition());

    TSettings s(path);
    ASSERT_TRUE(s.SavePosition(10, -3, 800, 600));
    const TIniDocument doc = TIniFile(path).Read();
    EXPECT_EQ(doc.Keys("Position"), (std::vector<std::string>{"Width", "Height", "Top", "Left"}));
    EXPECT_EQ(doc.ReadInteger("Position", "Width", 0), 800);
    EXPECT_EQ(doc.ReadInteger("Position", "Height", 0), 600);
    const TSettings r = ReadAll();
    EXPECT_EQ(r.Position.Top, 10);
    EXPECT_EQ(r.Position.Left, -3);
}

TEST_F(SettingsFile, ModuleActiveLivesInTheSectionOfItsLibraryFile) {
    WriteText(path, "[chronos.so]\nActive=1\nOwnKey=kept\n[Weather]\nCity=Tula\n");
    EXPECT_TRUE(ReadModuleActive(path, "chronos.so"));
    EXPECT_TRUE(ReadModuleActive(path, "/usr/lib/orvanta3/plugins/software/chronos.so"));
    EXPECT_FALSE(ReadModuleActive(path, "chronos2.so"));

    TSettings s(path);
    TSettingsSaveParts parts;
    parts.Modules = {{"chronos.so", false}, {"chronos2.so", true}};
    ASSERT_TRUE(s.Save(parts));
    const TIniFile ini(path);
    EXPECT_FALSE(ReadModuleActive(path, "chronos.so"));
    EXPECT_TRUE(ReadModuleActive(path, "chronos2.so"));
    EXPECT_EQ(ini.ReadString("chronos.so", "OwnKey", ""), "kept");
    EXPECT_EQ(ini.ReadString("Weather", "City", ""), "Tula");

    ASSERT_TRUE(WriteModuleActive(path, "часы.so", true));
    EXPECT_TRUE(ini.Read().HasSection("часы.so"_cp1251));
    EXPECT_TRUE(ReadModuleActive(path, "часы.so"));
}

TEST_F(SettingsFile, SaveUpdatesTheAutostartEntryFirstAndGoesOnWhenItFails) {
    TSettings s(path);
    s.Common.Autostart = true;
    ASSERT_TRUE(s.Save());
    EXPECT_TRUE(std::filesystem::exists(AutostartEntryPath()));
    s.Common.Autostart = false;
    ASSERT_TRUE(s.Save());
    EXPECT_FALSE(std::filesystem::exists(AutostartEntryPath()));

    std::filesystem::remove(path);
    WriteText(dir / "config/autostart", "blocks the folder");
    s.Common.Autostart = true;
    EXPECT_TRUE(s.Save());
    EXPECT_TRUE(TIniFile(path).ReadBool("Common", "Autostart", false));
}

// Every writer of the file at once, on a fresh file: the sections and keys in the order a user
// finds them, byte for byte.
TEST_F(SettingsFile, EveryWriterTogetherWritesThisFile) {
    TSettings s(path);
    s.Common.JobName = " spaced ";
    s.VirtualScreen.HorizPosition = 99;
    TSettingsSaveParts parts;
    parts.WriteCustomChars = [](TIniDocument& doc) { doc.WriteString("Custom chars", "c", "1"); };
    parts.Modules = {{"chronos.so", true}};
    parts.WriteCharsetMapping = [](TIniDocument& doc) {
        doc.WriteString("Custom charset mapping", "1", "hb_0");
    };
    ASSERT_TRUE(s.Save(parts));
    ASSERT_TRUE(s.SaveUpdateCheck());
    ASSERT_TRUE(s.SaveVirtualScreenPosition());
    ASSERT_TRUE(s.SavePosition(1, 2, 3, 4));
    EXPECT_EQ(ReadText(path),
              "[Common]\nAutostart=0\nAutoload job=0\nJob name=\" spaced \"\n"
              "StartMsg=$defineCharset[2]$$CustomChar[1]$$CustomChar[2]$$CustomChar[3]$"
              "$CustomChar[4]$ Orvanta3\n"
              "QuitMsg=Good bye!\n"
              "StartMsg line2=$CustomChar[5]$$CustomChar[6]$$CustomChar[7]$$CustomChar[8]$ "
              "v. " ORVANTA3_VERSION "\n"
              "QuitMsg line2=\nLanguage=\nShow hint=1\nShow splash-screen=1\nBase timeout=250\n"
              "Long delay period=20\nCalculate time for long strings=0\nSubScreen show time=2\n"
              "Show LCD-screensaver=0\nTransition speed=200\nBold edit line=1\nUse animation=1\n"
              "Scroll delimiter=|\nUse scroll delimiter=0\n"
              "[INet]\nProxy=\nProxyPort=8080\nCheck updates=0\nNext check=01/01/03\nVer=3.0.7.0\n"
              "[Shortcuts]\nBit=b\nByte=b\nKilo=k\nMega=M\nGiga=G\nPerSec=ps\nHertz=Hz\nHour=:\n"
              "Min=:\nSec=\n"
              "[Virtual screen]\nShow=0\nPixel ON color=16777215\nPixel OFF color=8388608\n"
              "Background color=8388608\nPixel horiz. size=2\nPixel vert. size=2\n"
              "Horiz. position=99\nVert. position=20\n"
              "[Custom chars]\nc=1\n[chronos.so]\nActive=1\n[Custom charset mapping]\n1=hb_0\n"
              "[Position]\nTop=1\nLeft=2\nWidth=3\nHeight=4\n");
}

TEST_F(SettingsFile, IntegersOutsideTheRangeOfTheirKeyReadAsTheDefault) {
    int rangedKeys = 0;
    for (const TSettingKey& key : SettingKeys()) {
        if (key.Min == INT32_MIN && key.Max == INT32_MAX) continue;
        ++rangedKeys;
        const int32_t def = std::get<int32_t>(SettingDefault(key));
        std::vector<std::pair<int64_t, int32_t>> writtenAndRead{{key.Min, key.Min},
                                                                {key.Max, key.Max}};
        if (key.Min > INT32_MIN) writtenAndRead.emplace_back(int64_t{key.Min} - 1, def);
        if (key.Max < INT32_MAX) writtenAndRead.emplace_back(int64_t{key.Max} + 1, def);
        for (const auto& [written, read] : writtenAndRead) {
            WriteText(path, std::string("[") + key.Section + "]\n" + key.Key + "=" +
                                std::to_string(written) + "\n");
            EXPECT_EQ(std::get<int32_t>(SettingValue(key, ReadAll())), read)
                << key.Key << "=" << written;
        }
    }
    EXPECT_EQ(rangedKeys, 7);
}

TEST_F(SettingsFile, EveryKeyAndEveryFieldIsInTheTableOnce) {
    TSettings s(path);
    std::set<std::pair<std::string, std::string>> keys;
    std::set<TSettingField> fields;
    for (const TSettingKey& key : SettingKeys()) {
        EXPECT_TRUE(keys.emplace(key.Section, key.Key).second) << key.Key;
        if (key.Field) {
            EXPECT_TRUE(fields.insert(key.Field(s)).second) << key.Key;
        }
    }
}
