// sensorlink as the host sees it: the built library on fake hwmon trees, and the start of the
// sensor program from its settings.
#include "base/Cp1251.h"
#include "tests/support/GeneratedLocale.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orv;
using orv::test::ScopedEnv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;
using orv::test::WriteText;

namespace {

enum : int32_t {
    tagMbmCheck,
    tagMbmTemp,
    tagMbmFan,
    tagMbmCore0,
    tagMbmCore1,
    tagMbm3_3,
    tagMbm5_0,
    tagMbm12_0,
    tagMbmMinus12_0,
    tagMbmMinus5_0
};

class Sensorlink : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Sensorlink() : TModuleOnFakeTree("sensorlink.so") {}
    void SetUp() override {
        ASSERT_TRUE(Ready());
        At(100000);
    }

    void Input(const std::string& chip, const std::string& input, int64_t value,
               const char* label = nullptr) {
        const std::string stem = "/sys/class/hwmon/" + chip + "/" + input;
        tree.Write(stem + "_input", std::to_string(value) + "\n");
        if (label) tree.Write(stem + "_label", std::string(label) + "\n");
    }

    // An executable script that leaves NAME.started beside itself.
    std::string Script(const std::string& name) {
        const std::string path = docs / name;
        WriteText(path, "#!/bin/sh\ntouch '" + path + ".started'\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    // Up to a minute for the script's mark.
    static bool WaitForMark(const std::string& script) {
        for (int i = 0; i < 600; ++i) {
            if (std::filesystem::exists(script + ".started")) return true;
            ::usleep(100000);
        }
        return false;
    }

    std::vector<std::string> Voltages() {
        std::vector<std::string> texts;
        for (int32_t tag = tagMbmCore0; tag <= tagMbmMinus5_0; ++tag) texts.push_back(Value(tag));
        return texts;
    }
};

} // namespace

TEST_F(Sensorlink, DescriptorListsTenTagsAndHasASettingsDialog) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Motherboard Monitor 5.* info");
    const std::string lead = "Информация из Motherboard monitor 5.*\r\r"_cp1251;
    EXPECT_EQ(std::string(d.Description).rfind(lead, 0), 0u);
    EXPECT_EQ(d.Id, 3);
    EXPECT_EQ(d.TagCount, 10);
    EXPECT_STREQ(d.GroupCaption, "MBM");
    EXPECT_STREQ(d.TagHints[0], "MotherBoard Monitor 5.*");
    EXPECT_EQ(
        TBuiltModule::Texts(d.TagNames),
        TBuiltModule::Sixteen({"$mbmCheck", "$mbmTemp", "$mbmFan", "$mbmCore0", "$mbmCore1",
                               "$mbm+3.3", "$mbm+5.0", "$mbm+12.0", "$mbm-12.0", "$mbm-5.0"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagHints), TBuiltModule::Sixteen({}));
    EXPECT_STREQ(d.TagCaptions[6], "напряжение +3.3"_cp1251);
    EXPECT_TRUE(d.GetValue && d.LoadSettings && d.Configure);
    EXPECT_FALSE(d.Finalize);
}

TEST_F(Sensorlink, MachineWithoutSensorsSkipsTheScreenAndReadsNothing) {
    tree.Folder("/sys/class/hwmon");
    LoadSettings();
    EXPECT_EQ(Value(tagMbmCheck), "#skip");
    EXPECT_EQ(Value(tagMbmTemp, "0"), "#skip") << "a screen that starts with it is skipped";
    EXPECT_EQ(Value(tagMbmFan, "3"), "#skip");
    EXPECT_EQ(Voltages(), std::vector<std::string>(7, "#skip"));

    // A chip without inputs (a driver that only names itself) is no sensor either.
    tree.Write("/sys/class/hwmon/hwmon0/name", "acpitz\n");
    LoadSettings();
    EXPECT_EQ(Value(tagMbmCheck), "#skip");
}

TEST_F(Sensorlink, LabelsPlaceTheVoltagesOverEveryChip) {
    Input("hwmon0", "temp1", 41600);
    Input("hwmon0", "temp2", 38499);
    Input("hwmon2", "temp1", -5500);
    Input("hwmon2", "fan1", 4688);
    Input("hwmon2", "fan2", 0);
    Input("hwmon2", "in0", 1749, "Vcore");
    Input("hwmon2", "in1", 1000, "Vin1"); // no standard rail
    Input("hwmon2", "in2", 3360, "AVCC");
    Input("hwmon2", "in3", 3312, "+3.3V");
    Input("hwmon2", "in4", 5020, "+5V");
    Input("hwmon2", "in5", 1800); // unlabelled: position 5 (-12.0)
    Input("hwmon2", "in6", 3300, "3VSB");
    Input("hwmon2", "in7", 12096, " +12V ");
    Input("hwmon2", "in8", 1200, "VCore 2");
    Input("hwmon10", "in0", 900);   // unlabelled, Core0 already named by hwmon2
    Input("hwmon10", "in6", -4990); // unlabelled: position 6 (-5.0)
    Input("hwmon10", "temp1", 70000);
    LoadSettings();
    EXPECT_EQ(Value(tagMbmCheck), "");
    EXPECT_EQ(Voltages(),
              (std::vector<std::string>{"1.75", "1.20", "3.31", "5.02", "12.10", "1.80", "-4.99"}));
    // Temperatures and fans by number over the chips in the order of theirs: hwmon10 after 2.
    EXPECT_EQ(Value(tagMbmTemp, "0"), "42");
    EXPECT_EQ(Value(tagMbmTemp, "1"), "38");
    EXPECT_EQ(Value(tagMbmTemp, "2"), "-6");
    EXPECT_EQ(Value(tagMbmTemp, "3"), "70");
    EXPECT_EQ(Value(tagMbmFan, "0"), "4688");
    EXPECT_EQ(Value(tagMbmFan, "1"), "0");
}

TEST_F(Sensorlink, WithoutLabelsTheInputNumberGivesThePosition) {
    for (int n = 0; n <= 8; ++n) Input("hwmon0", "in" + std::to_string(n), 1000 * n + 5);
    Input("hwmon0", "temp1", 30000);
    Input("hwmon0", "temp2", 31000);
    Input("hwmon0", "temp3", 32000);
    Input("hwmon0", "fan1", 1000);
    Input("hwmon0", "fan2", 2000);
    LoadSettings();
    EXPECT_EQ(Voltages(),
              (std::vector<std::string>{"0.01", "1.01", "2.01", "3.01", "4.01", "5.01", "6.01"}));
    EXPECT_EQ(Value(tagMbmFan, "1"), "2000") << "three temperatures, seven voltages, fan 1";
}

TEST_F(Sensorlink, MissingSensorNumbersShowNothing) {
    Input("hwmon0", "temp1", 30000);
    Input("hwmon0", "fan1", 1500);
    LoadSettings();
    EXPECT_EQ(Value(tagMbmTemp, "1"), "");
    EXPECT_EQ(Value(tagMbmTemp, "-1"), "");
    EXPECT_EQ(Value(tagMbmTemp, ""), "");
    EXPECT_EQ(Value(tagMbmFan, "abc"), "");
    EXPECT_EQ(Value(tagMbmCore1), "");
    EXPECT_EQ(Value(tagMbmFan, " 0 "), "1500");
    EXPECT_EQ(Value(10), "1500") << "an unknown tag keeps the previous answer";
    EXPECT_EQ(Value(-1), "");
}

TEST_F(Sensorlink, OldKernelsKeepTheInputsInTheDeviceFolder) {
    tree.Write("/sys/class/hwmon/hwmon0/device/temp1_input", "45000\n");
    tree.Write("/sys/class/hwmon/hwmon0/device/in0_input", "1350\n");
    LoadSettings();
    EXPECT_EQ(Value(tagMbmTemp, "0"), "45");
    EXPECT_EQ(Value(tagMbmCore0), "1.35");
}

TEST_F(Sensorlink, ReadingsFollowTheSensors) {
    Input("hwmon0", "in0", 1749);
    LoadSettings();
    EXPECT_EQ(Value(tagMbmCore0), "1.75");
    Input("hwmon0", "in0", 1234);
    EXPECT_EQ(Value(tagMbmCore0), "1.23") << "every reading reads its input again";

    // A chip that appears later is found at the next load of the settings, and after ten
    // seconds by a reading that fails.
    Input("hwmon1", "temp1", 50000);
    EXPECT_EQ(Value(tagMbmTemp, "0"), "");
    tree.Remove("/sys/class/hwmon/hwmon0");
    EXPECT_EQ(Value(tagMbmCore0), "");
    At(109999);
    EXPECT_EQ(Value(tagMbmTemp, "0"), "");
    At(110000);
    EXPECT_EQ(Value(tagMbmTemp, "0"), "50");
}

TEST_F(Sensorlink, VoltagesUseTheUsersDecimalSeparator) {
    const orv::test::GeneratedLocale russian("ru_RU");
    if (!russian.Ok()) GTEST_SKIP() << "cannot generate the ru_RU.UTF-8 locale";
    ScopedEnv numbers("LC_ALL", russian.Name());
    Input("hwmon0", "in0", 1749);
    LoadSettings();
    EXPECT_EQ(Value(tagMbmCore0), "1,75");
}

// Programs that the tests start are scripts that leave NAME.started beside them. A program
// that should not have started would have left its mark before a program started after it.
TEST_F(Sensorlink, TryToRunStartsTheProgramOnlyWhenItDoesNotRun) {
    const std::string running = Script("fan-daemon");
    Settings("[MBM5]\nTry to run=1\nPath=" + running + "\n");
    tree.Write("/proc/100/comm", "fan-daemon\n");
    LoadSettings();
    const std::string script = Script("fancontrol"); // run by its interpreter
    Settings("[MBM5]\nPath=" + script + "\n");       // "Try to run" is on by default
    tree.Write("/proc/7/comm", "sh\n");
    tree.Write("/proc/7/cmdline", std::string("/bin/sh\0/usr/sbin/fancontrol\0", 29));
    LoadSettings();
    const std::string switchedOff = Script("switched-off");
    Settings("[MBM5]\nTry to run=0\nPath=" + switchedOff + "\n");
    LoadSettings();
    Settings("[MBM5]\nTry to run=1\nPath=" + docs / "missing" + "\n");
    LoadSettings();

    const std::string started = Script("started");
    Settings("[MBM5]\nPath=" + started + "\n");
    LoadSettings();
    EXPECT_TRUE(WaitForMark(started));
    EXPECT_FALSE(std::filesystem::exists(running + ".started"));
    EXPECT_FALSE(std::filesystem::exists(script + ".started"));
    EXPECT_FALSE(std::filesystem::exists(switchedOff + ".started"));
}
