// dialwatch as the host sees it: the built library on a fake tree of sysfs, pppd's run files and
// options, with the kernel's PPP statistics and the clock stood in for by the test.
#include "base/Cp1251.h"
#include "modules/dialwatch/DialwatchTesting.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t {
    tagRasCheck,
    tagRasName,
    tagRasDeviceType,
    tagRasDeviceName,
    tagRasIn,
    tagRasOut,
    tagRasZipIn,
    tagRasZipOut,
    tagRasSpeed,
    tagRasDuration
};

// What the fake kernel answers for ppp0 and ppp1; anything else fails.
TPppCounters gCounters{};
int32_t FakeStatistics(const char* interfaceName, TPppCounters* counters) {
    if (std::string(interfaceName) != "ppp0" && std::string(interfaceName) != "ppp1") return -1;
    *counters = gCounters;
    return 0;
}
int32_t FailingStatistics(const char*, TPppCounters*) { return -1; }

constexpr uint64_t kNowMs = 1772700000000; // March 2026

class Dialwatch : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Dialwatch() : TModuleOnFakeTree("dialwatch.so") {}
    void SetUp() override {
        ASSERT_TRUE(Ready());
        setStatistics = reinterpret_cast<TDialwatchSetStatisticsFunc>(
            module.Library().Symbol(kDialwatchSetStatisticsExport));
        ASSERT_TRUE(setStatistics);
        At(kNowMs);
        setStatistics(FakeStatistics);
        gCounters = {};
        tree.Write("/dev/ppp", "");
        Interface("lo", 1, 772, "0x9");
        Interface("eth0", 2, 1, "0x1003");
        orv::test::ClearShownMessages();
    }
    void TearDown() override {
        if (setStatistics) setStatistics(nullptr);
    }

    void Interface(const std::string& name, int ifindex, int type, const char* flags) {
        const std::string folder = "/sys/class/net/" + name + "/";
        tree.Write(folder + "ifindex", std::to_string(ifindex) + "\n");
        tree.Write(folder + "type", std::to_string(type) + "\n");
        tree.Write(folder + "flags", std::string(flags) + "\n");
    }

    // pppd 4321 dialled "myisp" on ttyUSB0 at 115200 bit/s; ppp0 came up 5 min 7 s ago.
    void DialledLink() {
        Interface("ppp0", 5, 512, "0x10d1");
        tree.Write("/run/ppp0.pid", "4321\n");
        ASSERT_TRUE(tree.SetModified("/run/ppp0.pid", kNowMs - 307000));
        tree.Write("/proc/4321/cmdline", std::string("/usr/sbin/pppd\0call\0myisp\0", 26));
        tree.Write("/etc/ppp/peers/myisp",
                   "# Provider\n/dev/ttyUSB0\n115200   # speed\nmru 1200\n"
                   "connect \"/usr/sbin/chat -v -f /etc/chatscripts/x\"\nnoauth\n");
        tree.Write("/etc/ppp/options", "lock\nasyncmap 0\n");
    }

    TDialwatchSetStatisticsFunc setStatistics = nullptr;
};

} // namespace

TEST_F(Dialwatch, DescriptorListsTenTags) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "RAS status");
    const std::string lead = "Информация об активном модемном соединении\r\r"_cp1251;
    EXPECT_EQ(std::string(d.Description).rfind(lead, 0), 0u);
    EXPECT_EQ(d.Id, 7);
    EXPECT_EQ(d.TagCount, 10);
    EXPECT_STREQ(d.GroupCaption, "RAS");
    EXPECT_STREQ(d.TagHints[0], "Данные об установленном модемном соединении"_cp1251);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$rasCheck", "$rasName", "$rasDeviceType", "$rasDeviceName",
                                     "$rasIn", "$rasOut", "$rasZipIn", "$rasZipOut", "$rasSpeed",
                                     "$rasDuration"}));
    EXPECT_STREQ(d.TagHints[1], "");
    EXPECT_STREQ(d.TagExamples[10], "$rasDuration[4,,,3]$");
    EXPECT_TRUE(d.GetValue && d.LoadSettings);
    EXPECT_FALSE(d.Configure || d.Finalize);
}

TEST_F(Dialwatch, WithoutLinkTheScreenIsSkipped) {
    LoadSettings();
    Interface("ppp0", 5, 512, "0x1090"); // pppd still dialling: the unit is not up
    EXPECT_EQ(Value(tagRasCheck), "#skip");
    EXPECT_EQ(Value(tagRasName), "RAS not active");
    for (int32_t tag = tagRasDeviceType; tag <= tagRasDuration; ++tag)
        EXPECT_EQ(Value(tag), "") << tag;
}

TEST_F(Dialwatch, DialledLinkShowsItsEntryDeviceAndTraffic) {
    LoadSettings();
    DialledLink();
    gCounters = {.BytesIn = 5368709120,
                 .BytesOut = 1536,
                 .CompressionInPercent = 25,
                 .CompressionOutPercent = 0};
    EXPECT_EQ(Value(tagRasCheck), "");
    EXPECT_EQ(Value(tagRasName), "myisp");
    EXPECT_EQ(Value(tagRasDeviceType), "modem");
    EXPECT_EQ(Value(tagRasDeviceName), "ttyUSB0");
    EXPECT_EQ(Value(tagRasIn), "5.00 Gb") << "beyond 32 bits";
    EXPECT_EQ(Value(tagRasOut), "1.50 kb");
    EXPECT_EQ(Value(tagRasZipIn), "25%");
    EXPECT_EQ(Value(tagRasZipOut), "0%");
    EXPECT_EQ(Value(tagRasSpeed), "115.2 kbps");
    EXPECT_EQ(Value(tagRasDuration, "4"), "05 m 07 s");
    EXPECT_EQ(Value(tagRasDuration, "0"), "307") << "$rasDuration$ without brackets";
    EXPECT_EQ(Value(tagRasDuration, "x"), "00:05:07") << "not a number: selector 5";
}

TEST_F(Dialwatch, LinkNameAndSpeedFromPppdsOwnFiles) {
    LoadSettings();
    Interface("ppp0", 5, 512, "0x10d1");
    // pppd 2.5 keeps its run files in /run/pppd; "linkname office" names the link.
    tree.Write("/run/pppd/ppp0.pid", "77\n");
    tree.Write("/run/pppd/ppp-office.pid", "77\nppp0\n");
    tree.Write("/run/pppd/ppp-other.pid", "78\nppp1\n");
    tree.Write("/proc/77/cmdline", std::string("pppd\0/dev/ttyS1\0"
                                               "33600\0linkname\0office\0",
                                               37));
    EXPECT_EQ(Value(tagRasName), "office");
    EXPECT_EQ(Value(tagRasDeviceName), "ttyS1");
    EXPECT_EQ(Value(tagRasSpeed), "33.6 kbps");

    // Without run files or options the interface names the link and the rest stays empty.
    tree.Remove("/run");
    EXPECT_EQ(Value(tagRasName), "ppp0");
    EXPECT_EQ(Value(tagRasDeviceType), "");
    EXPECT_EQ(Value(tagRasSpeed), "");
    EXPECT_EQ(Value(tagRasDuration, "5"), "");
}

TEST_F(Dialwatch, PppoeLinkNamesItsEthernetCard) {
    LoadSettings();
    Interface("ppp0", 5, 512, "0x10d1");
    tree.Write("/sys/class/net/eth0/speed", "1000\n");
    tree.Write("/run/ppp0.pid", "900\n");
    tree.Write("/proc/900/cmdline", std::string("pppd\0call\0dsl-provider\0", 24));
    tree.Write("/etc/ppp/peers/dsl-provider",
               "user \"bob@isp\"\nplugin rp-pppoe.so eth0\nnoipdefault\nmtu 1492\n");
    EXPECT_EQ(Value(tagRasName), "dsl-provider");
    EXPECT_EQ(Value(tagRasDeviceType), "PPPoE");
    EXPECT_EQ(Value(tagRasDeviceName), "eth0");
    EXPECT_EQ(Value(tagRasSpeed), "1000000 kbps");
}

TEST_F(Dialwatch, TheFirstPppInterfaceThatIsUpIsTheLink) {
    LoadSettings();
    Interface("ppp0", 5, 512, "0x1090"); // down
    Interface("dsl0", 7, 512, "0x10d1"); // up, named by pppd's "ifname"
    Interface("ppp1", 6, 512, "0x10d1"); // up, before dsl0
    tree.Write("/run/ppp-second.pid", "5\nppp1\n");
    EXPECT_EQ(Value(tagRasName), "second");
}

TEST_F(Dialwatch, KernelThatDoesNotAnswerGivesRasError) {
    LoadSettings();
    DialledLink();
    setStatistics(FailingStatistics);
    EXPECT_EQ(Value(tagRasCheck), "") << "the screen is shown";
    EXPECT_EQ(Value(tagRasName), "myisp");
    for (int32_t tag = tagRasIn; tag <= tagRasDuration; ++tag)
        EXPECT_EQ(Value(tag), "Ras error") << tag;
}

TEST_F(Dialwatch, TheRealIoctlsWithoutPppLinkGiveRasError) {
    LoadSettings();
    Interface("ppp7", 5, 512, "0x10d1"); // only in the fake tree: the kernel has no such unit
    setStatistics(nullptr);
    EXPECT_EQ(Value(tagRasIn), "Ras error");
}

TEST_F(Dialwatch, UnknownTagKeepsTheAnswerAndMinusOneClears) {
    LoadSettings();
    EXPECT_EQ(Value(tagRasName), "RAS not active");
    EXPECT_EQ(Value(10), "RAS not active");
    EXPECT_EQ(Value(-1), "");
}

TEST_F(Dialwatch, SystemWithoutPppSupportSaysWhatIsMissing) {
    LoadSettings();
    tree.Remove("/dev/ppp");
    EXPECT_EQ(Value(tagRasCheck), "#skip");
    EXPECT_EQ(Value(tagRasName), "PPP not available: /dev/ppp missing");
    EXPECT_EQ(Value(tagRasIn), "");
    EXPECT_TRUE(orv::test::ShownMessages().empty()) << "the panel says it, no message box";
}
