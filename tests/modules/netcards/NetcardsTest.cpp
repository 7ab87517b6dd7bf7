// netcards as the host sees it: the built library on a fake /sys/class/net with a pinned clock,
// and once on the machine's own loopback interface.
#include "base/Cp1251.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t {
    tagLanName,
    tagLanType,
    tagLanSpeed,
    tagLanStatus,
    tagLanIn,
    tagLanOut,
    tagLanUniIn,
    tagLanUniOut,
    tagLanNUniIn,
    tagLanNUniOut,
    tagLanErrIn,
    tagLanErrOut
};

struct TFakeInterface {
    std::string name;
    int ifindex;
    int type;
    const char* speed; // nullptr: the file refuses to be read, as sysfs does without a speed
    const char* operstate;
    const char* flags;
    const char* carrier = nullptr; // nullptr: unreadable, as while the interface is down
};

class Netcards : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Netcards() : TModuleOnFakeTree("netcards.so") {}
    void SetUp() override {
        ASSERT_TRUE(Ready());
        LoadSettings();
    }

    void AddInterface(const TFakeInterface& i) {
        const std::string folder = "/sys/class/net/" + i.name + "/";
        tree.Write(folder + "ifindex", std::to_string(i.ifindex) + "\n");
        tree.Write(folder + "type", std::to_string(i.type) + "\n");
        if (i.speed) tree.Write(folder + "speed", std::string(i.speed) + "\n");
        tree.Write(folder + "operstate", std::string(i.operstate) + "\n");
        tree.Write(folder + "flags", std::string(i.flags) + "\n");
        if (i.carrier) tree.Write(folder + "carrier", std::string(i.carrier) + "\n");
        for (const char* counter : {"rx_bytes", "tx_bytes", "rx_packets", "tx_packets", "multicast",
                                    "rx_errors", "tx_errors"})
            Count(i.name, counter, 0);
    }
    void Count(const std::string& name, const char* counter, uint64_t value) {
        tree.Write("/sys/class/net/" + name + "/statistics/" + counter,
                   std::to_string(value) + "\n");
    }

    // A machine with loopback, a wired and a wireless card, a PPP link, a SLIP line that is
    // switched off and a tunnel without carrier, written in no particular order.
    void TypicalMachine() {
        AddInterface({"wlan0", 3, 1, "54", "dormant", "0x1003", "1"});
        AddInterface({"ppp0", 5, 512, nullptr, "unknown", "0x10d1", "1"});
        AddInterface({"lo", 1, 772, nullptr, "unknown", "0x9", "1"});
        AddInterface({"eth0", 2, 1, "100", "up", "0x1003", "1"});
        AddInterface({"sl0", 4, 256, nullptr, "down", "0x10"});
        AddInterface({"tun0", 6, 65534, "10", "unknown", "0x1091", "0"});
        AddInterface({"tr0", 7, 800, "1000", "lowerlayerdown", "0x1003", "0"});
        tree.Write("/run/udev/data/n2", "I:123\nE:ID_MODEL_FROM_DATABASE=82540EM Gigabit Ethernet\n"
                                        "E:ID_MODEL=ignored\n");
        tree.Write("/run/udev/data/n3", "E:ID_MODEL_ENC=Wi-Fi\\x20Stick\n");
    }

    // The given tag for rows 0, 1, ... while there are rows.
    std::vector<std::string> Column(int32_t index, int rows) {
        std::vector<std::string> texts;
        for (int r = 0; r < rows; ++r) texts.push_back(Value(index, std::to_string(r).c_str()));
        return texts;
    }
};

} // namespace

TEST_F(Netcards, DescriptorListsTwelveTagsAndDocumentsTheRate) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "LAN info");
    const std::string lead = "Информация о сетевых устройствах\r\r"_cp1251;
    EXPECT_EQ(std::string(d.Description).rfind(lead, 0), 0u);
    EXPECT_EQ(d.Id, 6);
    EXPECT_EQ(d.TagCount, 12);
    EXPECT_STREQ(d.GroupCaption, "Network");
    EXPECT_STREQ(d.TagHints[0], "Данные о сетевых устройствах"_cp1251);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$lanName", "$lanType", "$lanSpeed", "$lanStatus", "$lanIn",
                                     "$lanOut", "$lanUniIn", "$lanUniOut", "$lanNUniIn",
                                     "$lanNUniOut", "$lanErrIn", "$lanErrOut"}));
    EXPECT_STREQ(d.TagExamples[5], "$lanIn[0,,,2]$");
    for (int k : {5, 6}) {
        const std::string hint = Cp1251ToUtf8(d.TagHints[k]);
        EXPECT_NE(hint.find("\r\r"), std::string::npos) << hint;
        EXPECT_NE(hint.find(";rate,,,2]$"), std::string::npos) << hint;
    }
    EXPECT_TRUE(d.GetValue && d.LoadSettings);
    EXPECT_FALSE(d.Configure || d.Finalize);
}

TEST_F(Netcards, RowsFollowTheInterfaceIndexWithTheirTexts) {
    TypicalMachine();
    At(10000);
    EXPECT_EQ(Column(tagLanName, 7),
              (std::vector<std::string>{"lo", "eth0 (82540EM Gigabit Ethernet)",
                                        "wlan0 (Wi-Fi Stick)", "sl0", "ppp0", "tun0", "tr0"}));
    EXPECT_EQ(Column(tagLanType, 7),
              (std::vector<std::string>{"Loopback", "Ethernet", "Ethernet", "SLIP", "PPP", "other",
                                        "TockenRing"}));
    EXPECT_EQ(Column(tagLanStatus, 7),
              (std::vector<std::string>{"Operational", "Operational", "Connecting...", "Disabled",
                                        "Connected", "Cable disconnected", "Cable disconnected"}));
    EXPECT_EQ(Column(tagLanSpeed, 7), (std::vector<std::string>{"", "100.00 Mbps", "54.00 Mbps", "",
                                                                "", "10.00 Mbps", "1000.00 Mbps"}));
}

TEST_F(Netcards, StateTextsFollowOperstateAndFlags) {
    AddInterface({"a", 1, 1, "100", "down", "0x1003", "0"}); // up, no carrier
    AddInterface({"b", 2, 512, nullptr, "down", "0x1091"});  // PPP without a link
    AddInterface({"c", 3, 1, nullptr, "notpresent", "0x1003"});
    AddInterface({"d", 4, 1, nullptr, "testing", "0x1003"});
    AddInterface({"e", 5, 1, nullptr, "unknown", "0x1002"}); // switched off
    AddInterface({"f", 6, 512, nullptr, "unknown", "0x1091", "0"});
    At(10000);
    EXPECT_EQ(Column(tagLanStatus, 6),
              (std::vector<std::string>{"Cable disconnected", "WAN adapter not connected",
                                        "Disabled", "", "Disabled", "WAN adapter not connected"}));
}

TEST_F(Netcards, CountersAreSixtyFourBitsAndPacketsSplitByMulticast) {
    AddInterface({"lo", 1, 772, nullptr, "unknown", "0x9", "1"});
    AddInterface({"eth0", 2, 1, "1000", "up", "0x1003", "1"});
    Count("lo", "rx_bytes", 1536);
    Count("lo", "tx_bytes", 1024);
    Count("eth0", "rx_bytes", 5368709120 + 1073741824 / 2); // 5.5 GiB, beyond 32 bits
    Count("eth0", "tx_bytes", 4294967296 + 1);
    Count("eth0", "rx_packets", 7000000000);
    Count("eth0", "multicast", 30);
    Count("eth0", "tx_packets", 812);
    Count("eth0", "rx_errors", 3);
    Count("eth0", "tx_errors", 4);
    At(10000);
    EXPECT_EQ(Value(tagLanIn, "0"), "1.50 kb");
    EXPECT_EQ(Value(tagLanOut, "0"), "1024 b");
    EXPECT_EQ(Value(tagLanIn, "1"), "5.50 Gb");
    EXPECT_EQ(Value(tagLanOut, "1"), "4.00 Gb");
    EXPECT_EQ(Value(tagLanUniIn, "1"), "6999999970");
    EXPECT_EQ(Value(tagLanNUniIn, "1"), "30");
    EXPECT_EQ(Value(tagLanUniOut, "1"), "812");
    EXPECT_EQ(Value(tagLanNUniOut, "1"), "0");
    EXPECT_EQ(Value(tagLanErrIn, "1"), "3");
    EXPECT_EQ(Value(tagLanErrOut, "1"), "4");
}

TEST_F(Netcards, TableIsReadAgainOnlyAfterThreeSecondsAndGivesTheRate) {
    AddInterface({"lo", 1, 772, nullptr, "unknown", "0x9", "1"});
    Count("lo", "rx_bytes", 1000000);
    Count("lo", "tx_bytes", 2000000);
    At(10000);
    EXPECT_EQ(Value(tagLanIn), "976.56 kb");
    EXPECT_EQ(Value(tagLanIn, "0;rate"), "0 bps") << "no interval before the first read";

    Count("lo", "rx_bytes", 5500000);
    Count("lo", "tx_bytes", 2003000);
    At(12500);
    EXPECT_EQ(Value(tagLanIn), "976.56 kb") << "2.5 s after the read";
    At(13000);
    EXPECT_EQ(Value(tagLanIn), "5.25 Mb") << "3.0 s after the read";
    EXPECT_EQ(Value(tagLanIn, "0;rate"), "1.50 Mbps") << "4500000 bytes in 3 s";
    EXPECT_EQ(Value(tagLanOut, "0; RATE "), "1000 bps");
    EXPECT_EQ(Value(tagLanSpeed, "0;rate"), "") << "the rate is only for the byte counters";

    Count("lo", "rx_bytes", 100); // the interface came back with fresh counters
    At(20000);
    EXPECT_EQ(Value(tagLanIn, "0;rate"), "0 bps");
}

TEST_F(Netcards, RowsThatDoNotExistAreEmpty) {
    AddInterface({"lo", 1, 772, nullptr, "unknown", "0x9", "1"});
    At(10000);
    EXPECT_EQ(Value(tagLanName, "0"), "lo");
    EXPECT_EQ(Value(tagLanName, "1"), "");
    EXPECT_EQ(Value(tagLanName, "-1"), "");
    EXPECT_EQ(Value(tagLanName, ""), "");
    EXPECT_EQ(Value(tagLanName, "abc"), "");
    EXPECT_EQ(Value(tagLanName, " 0 "), "lo");

    EXPECT_EQ(Value(tagLanName, "0"), "lo");
    EXPECT_EQ(Value(12), "lo") << "an unknown tag keeps the previous answer";
    EXPECT_EQ(Value(-1), "");
    EXPECT_EQ(Value(0x10000 + tagLanType), "Loopback") << "only the low 16 bits count";
}

TEST_F(Netcards, UnreadableTableKeepsTheLastRecords) {
    AddInterface({"lo", 1, 772, nullptr, "unknown", "0x9", "1"});
    At(10000);
    EXPECT_EQ(Value(tagLanName), "lo");
    tree.Remove("/sys");
    At(20000);
    EXPECT_EQ(Value(tagLanName), "lo");
}

TEST_F(Netcards, WithoutSysfsTheRowsComeFromProcNetDev) {
    tree.Write("/proc/net/dev",
               "Inter-|   Receive                                                |  Transmit\n"
               " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets "
               "errs drop fifo colls carrier compressed\n"
               "    lo:    3319      30    0    0    0     0          0         0     3319      30 "
               "   0    0    0     0       0          0\n"
               "  eth0:8589934592 857 2 0 0 0 0 7 39010 462 1 0 0 0 0 0\n");
    At(10000);
    EXPECT_EQ(Column(tagLanName, 3), (std::vector<std::string>{"lo", "eth0", ""}));
    EXPECT_EQ(Value(tagLanIn, "1"), "8.00 Gb");
    EXPECT_EQ(Value(tagLanUniIn, "1"), "850");
    EXPECT_EQ(Value(tagLanErrOut, "1"), "1");
    EXPECT_EQ(Value(tagLanType, "1"), "");
    EXPECT_EQ(Value(tagLanStatus, "1"), "");
}

TEST_F(Netcards, UsbAdapterNamesItsProductThroughSysfs) {
    AddInterface({"usb0", 2, 1, nullptr, "up", "0x1003"});
    tree.Write("/sys/devices/usb1/1-1/product", "USB 10/100 LAN\n");
    tree.Folder("/sys/devices/usb1/1-1/1-1:1.0");
    tree.Link("/sys/class/net/usb0/device", "/sys/devices/usb1/1-1/1-1:1.0");
    At(10000);
    EXPECT_EQ(Value(tagLanName), "usb0 (USB 10/100 LAN)");
}

// The machine's own loopback: 10 MiB through a TCP connection on 127.0.0.1 shows in row 0
// (loopback comes first), and so does the rate between two reads 3 s apart on the pinned clock.
TEST_F(Netcards, LoopbackCountsTrafficSentThroughIt) {
    UseMachineTree();
    std::error_code ec;
    if (!std::filesystem::exists("/sys/class/net/lo", ec)) GTEST_SKIP() << "no lo here";
    ASSERT_EQ(Value(tagLanType), "Loopback");
    At(1000000);
    const std::string before = Value(tagLanIn);

    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(server);
        GTEST_SKIP() << "127.0.0.1 is not up here";
    }
    ASSERT_EQ(::listen(server, 1), 0);
    ASSERT_EQ(::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length), 0);
    constexpr size_t kSent = 10 * 1024 * 1024;
    size_t received = 0;
    std::thread reader([&] {
        const int peer = ::accept(server, nullptr, nullptr);
        char buffer[65536];
        for (ssize_t n; (n = ::read(peer, buffer, sizeof buffer)) > 0;)
            received += static_cast<size_t>(n);
        ::close(peer);
    });
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string chunk(65536, 'x');
    for (size_t sent = 0; sent < kSent;) {
        const ssize_t n = ::write(client, chunk.data(), chunk.size());
        ASSERT_GT(n, 0);
        sent += static_cast<size_t>(n);
    }
    ::close(client);
    reader.join();
    ::close(server);
    ASSERT_GE(received, kSent);

    At(1003000);
    const std::string after = Value(tagLanIn);
    const std::string rate = Value(tagLanIn, "0;rate");
    // Bytes per second over the 3 s: at least 10 MiB / 3, printed in Mbps ("3.50 Mbps").
    double perSecond = 0;
    char unit[16] = {};
    ASSERT_EQ(std::sscanf(rate.c_str(), "%lf %15s", &perSecond, unit), 2) << rate;
    const double scale = std::string(unit) == "kbps"   ? 1e3
                         : std::string(unit) == "Mbps" ? 1e6
                         : std::string(unit) == "Gbps" ? 1e9
                                                       : 1;
    EXPECT_GE(perSecond * scale * 3 + 3 * 0.005 * scale, static_cast<double>(kSent))
        << before << " -> " << after << ", " << rate;
    // The total shows 10 MiB more, unless it is so large that two decimals of a gigabyte hide
    // them (a machine whose loopback has carried tens of gigabytes); the rate counted them.
    if (!before.ends_with("Gb")) {
        EXPECT_NE(before, after);
    }
}
