// procgauge as the host sees it: the built library, its descriptor, and its answers for fake
// counters, a fake cpuid and a fake /proc; then against the real machine.
#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "modules/common/LineFields.h"
#include "modules/procgauge/ProcgaugeTesting.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <pthread.h>
#include <sched.h>
#include <thread>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t { tagCpuFreq, tagCpuVendor, tagCpuID, tagCpuUsage };

// Fake counters: every read of the performance counter advances it by 10 counts (1 us) and
// every read of the time-stamp counter by gCyclesPerRead, so one trial measures exactly that
// many cycles per microsecond.
uint64_t gCounter = 0;
uint64_t gStamp = 0;
uint64_t gCyclesPerRead = 0;
int gStampReads = 0;
uint64_t FakeCounter() { return gCounter += 10; }
uint64_t FakeStamp() {
    ++gStampReads;
    return gStamp += gCyclesPerRead;
}

// A fake cpuid answering the vendor leaf, the highest extended leaf and the brand leaves.
char gVendorId[13] = "GenuineIntel";
uint32_t gMaxExtendedLeaf = 0x80000008;
char gBrand[49] = "";
void FakeCpuid(uint32_t leaf, uint32_t r[4]) {
    std::memset(r, 0, 16);
    if (leaf == 0) {
        std::memcpy(&r[1], gVendorId, 4);
        std::memcpy(&r[3], gVendorId + 4, 4);
        std::memcpy(&r[2], gVendorId + 8, 4);
    } else if (leaf == 0x80000000) {
        r[0] = gMaxExtendedLeaf;
    } else if (leaf >= 0x80000002 && leaf <= 0x80000004) {
        std::memcpy(r, gBrand + (leaf - 0x80000002) * 16, 16);
    }
}

class Procgauge : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Procgauge() : TModuleOnFakeTree("procgauge.so") {}
    void SetUp() override {
        ASSERT_TRUE(Ready());
        setProbes = reinterpret_cast<TProcgaugeSetProbesFunc>(module.Library().Symbol(kProcgaugeSetProbesExport));
        ASSERT_TRUE(setProbes);
        LoadSettings();
    }
    void TearDown() override {
        if (setProbes) setProbes(nullptr);
    }

    void UseProbes(TProcessorProbes probes) {
        gCounter = gStamp = 0;
        gStampReads = 0;
        setProbes(&probes);
    }
    // The frequency text for a processor that runs cyclesPerUs cycles in a microsecond.
    std::string FrequencyAt(uint64_t cyclesPerUs) {
        gCyclesPerRead = cyclesPerUs;
        UseProbes({FakeCounter, FakeStamp, FakeCpuid});
        return Value(tagCpuFreq);
    }
    TProcgaugeSetProbesFunc setProbes = nullptr;
};

} // namespace

TEST_F(Procgauge, DescriptorListsFourTags) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "CPU info");
    EXPECT_EQ(Cp1251ToUtf8(d.Description).rfind("Вывод информации о CPU\r\r", 0), 0u);
    EXPECT_EQ(d.Id, 2);
    EXPECT_EQ(d.TagCount, 4);
    EXPECT_STREQ(d.GroupCaption, "CPU");
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[0]), "Информация о процессоре");
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$cpuFreq", "$cpuVendor", "$cpuID", "$cpuUsage"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagCaptions),
              TBuiltModule::Sixteen({"частота", "производитель", "тип", "загрузка"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples),
              TBuiltModule::Sixteen(
                  {"$cpuFreq$", "$cpuVendor$", "$cpuID$", "$cpuUsage[,,10,3,bar]$"}));
    const std::vector<std::string> hints = TBuiltModule::Texts(d.TagHints);
    EXPECT_EQ(hints[3], "Показать загрузку процессора\r\rПоказывает в % текущую загрузку "
                        "процессора; может использоваться для вывода степени загрузки "
                        "процессора в виде полосы прогресса");
    for (int k = 0; k < 4; ++k) EXPECT_NE(hints[k].find("\r\r"), std::string::npos) << k;
    EXPECT_EQ(hints[4], "");
    EXPECT_TRUE(d.GetValue && d.LoadSettings);
    EXPECT_FALSE(d.Configure || d.Finalize);
}

TEST_F(Procgauge, FrequencyIsRoundedToARoundFigure) {
    EXPECT_EQ(FrequencyAt(1998), "2.00 GHz");
    EXPECT_EQ(FrequencyAt(1466), "1.47 GHz") << "66 is a round figure";
    EXPECT_EQ(FrequencyAt(733), "733.00 MHz");
    EXPECT_EQ(FrequencyAt(2793), "2.79 GHz");
    EXPECT_EQ(FrequencyAt(2797), "2.80 GHz");
    EXPECT_EQ(FrequencyAt(1733), "1.73 GHz");
    EXPECT_EQ(FrequencyAt(845), "850.00 MHz");
    EXPECT_EQ(FrequencyAt(1710), "1.72 GHz") << "a tie rounds up";
    EXPECT_EQ(FrequencyAt(2400), "2.40 GHz") << "beyond 2147 MHz";
    EXPECT_EQ(FrequencyAt(4500), "4.50 GHz");
    EXPECT_EQ(FrequencyAt(3), "0 Hz") << "3 MHz rounds down to nothing";
}

TEST_F(Procgauge, FrequencyIsMeasuredAtMostOnceEveryTenSeconds) {
    EXPECT_EQ(FrequencyAt(1998), "2.00 GHz");
    const int readsOfOneMeasurement = gStampReads;
    EXPECT_GE(readsOfOneMeasurement, 3 * 105) << "at least three trials";

    gCyclesPerRead = 2400;
    EXPECT_EQ(Value(tagCpuFreq), "2.00 GHz") << "the last measurement is served";
    EXPECT_EQ(Value(tagCpuVendor), "Intel Corporation");
    EXPECT_EQ(Value(tagCpuFreq), "2.00 GHz");
    EXPECT_EQ(gStampReads, readsOfOneMeasurement) << "no second measurement";

    gCounter += 10 * 10000000ULL; // ten seconds later
    EXPECT_EQ(Value(tagCpuFreq), "2.40 GHz");
    EXPECT_GT(gStampReads, readsOfOneMeasurement);
}

TEST_F(Procgauge, UnsteadyTrialsStopAfterTwenty) {
    // Every read alternates between 1000 and 3000 cycles: the trials never agree.
    static uint64_t stamp;
    static int reads;
    stamp = 0;
    reads = 0;
    const TProcessorProbes jittery = {
        FakeCounter, [] { return stamp += (++reads / 105 % 2 ? 3000 : 1000); }, FakeCpuid};
    setProbes(&jittery);
    const std::string text = Value(tagCpuFreq);
    EXPECT_LE(reads, 20 * 106) << "at most 20 trials";
    EXPECT_GE(reads, 19 * 105);
    EXPECT_EQ(text.substr(text.size() - 3), "GHz") << text;
}

TEST_F(Procgauge, WithoutATimeStampCounterTheFrequencyComesFromCpufreq) {
    UseProbes({FakeCounter, nullptr, FakeCpuid});
    EXPECT_EQ(Value(tagCpuFreq), "0 Hz") << "no cpufreq, no /proc/cpuinfo";

    tree.Write("/proc/cpuinfo", "processor\t: 0\ncpu MHz\t\t: 1198.734\n");
    UseFakeTree();
    EXPECT_EQ(Value(tagCpuFreq), "1.20 GHz");

    tree.Write("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq", "2401000\n");
    UseFakeTree();
    EXPECT_EQ(Value(tagCpuFreq), "2.40 GHz");
}

TEST_F(Procgauge, FrequencyUsesTheUnitWordsOfTheSettings) {
    Settings(Utf8ToCp1251("[Shortcuts]\nGiga=Г\nHertz=Гц\nMega=\n"));
    EXPECT_EQ(FrequencyAt(1998), "2.00 GHz") << "read only by LoadSettings";
    LoadSettings();
    EXPECT_EQ(Cp1251ToUtf8(FrequencyAt(1998)), "2.00 ГГц");
    EXPECT_EQ(Cp1251ToUtf8(FrequencyAt(733)), "733.00 Гц");
}

TEST_F(Procgauge, VendorAndBrandFromCpuid) {
    std::strcpy(gVendorId, "AuthenticAMD");
    std::snprintf(gBrand, sizeof gBrand, "%s", "   AMD Athlon(tm) 64 Processor 3200+");
    gMaxExtendedLeaf = 0x80000008;
    UseProbes({FakeCounter, FakeStamp, FakeCpuid});
    EXPECT_EQ(Value(tagCpuVendor), "Advanced Micro Devices");
    EXPECT_EQ(Value(tagCpuID), "   AMD Athlon(tm) 64 Processor 3200+") << "leading blanks kept";

    std::strcpy(gVendorId, "HygonGenuine");
    std::memset(gBrand, 'x', 48); // no terminating zero inside the 48 bytes
    UseProbes({FakeCounter, FakeStamp, FakeCpuid});
    EXPECT_EQ(Value(tagCpuVendor), "") << "not in the vendor table";
    EXPECT_EQ(Value(tagCpuID), std::string(48, 'x'));

    // Without the brand leaves the brand comes from /proc/cpuinfo.
    std::strcpy(gVendorId, "GenuineIntel");
    gMaxExtendedLeaf = 0x80000001;
    tree.Write("/proc/cpuinfo", "processor\t: 0\nvendor_id\t: AuthenticAMD\n"
                                  "model name\t: Pentium 4\n\nprocessor\t: 1\n");
    UseProbes({FakeCounter, FakeStamp, FakeCpuid});
    EXPECT_EQ(Value(tagCpuVendor), "Intel Corporation") << "cpuid wins over /proc/cpuinfo";
    EXPECT_EQ(Value(tagCpuID), "Pentium 4");
}

TEST_F(Procgauge, WithoutCpuidVendorAndBrandComeFromCpuinfo) {
    UseProbes({FakeCounter, FakeStamp, nullptr});
    EXPECT_EQ(Value(tagCpuVendor), "");
    EXPECT_EQ(Value(tagCpuID), "");

    tree.Write("/proc/cpuinfo", "processor\t: 0\nvendor_id\t: CentaurHauls\n"
                                  "model name\t: VIA Nano\n\nprocessor\t: 1\nvendor_id\t: x\n");
    UseProbes({FakeCounter, FakeStamp, nullptr});
    EXPECT_EQ(Value(tagCpuVendor), "IDT/Centaur");
    EXPECT_EQ(Value(tagCpuID), "VIA Nano");

    tree.Write("/proc/cpuinfo", "processor\t: 0\nBogoMIPS\t: 48.00\nCPU implementer\t: 0x41\n\n"
                                  "Hardware\t: BCM2835\nModel\t\t: Raspberry Pi 4 Model B\n");
    UseProbes({FakeCounter, FakeStamp, nullptr});
    EXPECT_EQ(Value(tagCpuVendor), "");
    EXPECT_EQ(Value(tagCpuID), "") << "only the first processor's block counts";
}

TEST_F(Procgauge, LoadOfAllProcessorsAndOfOne) {
    // Fields: user nice system idle iowait irq softirq steal guest guest_nice.
    tree.Write("/proc/stat", "cpu  300 0 100 1500 100 0 0 0 50 0\n"
                               "cpu0 200 0 50 700 50 0 0 0 50 0\n"
                               "cpu1 100 0 50 800 50 0 0 0 0 0\nintr 5 0\n");
    At(1000);
    EXPECT_EQ(Value(tagCpuUsage, ""), "20.00") << "since boot: 400 of 2000, guest not twice";
    EXPECT_EQ(Value(tagCpuUsage, "1"), "25.00") << "the first processor, cpu0";
    EXPECT_EQ(Value(tagCpuUsage, "2"), "15.00");
    EXPECT_EQ(Value(tagCpuUsage, "3"), "") << "no third processor";
    EXPECT_EQ(Value(tagCpuUsage, "-1"), "");

    tree.Write("/proc/stat", "cpu  400 0 100 1600 100 0 0 0 50 0\n"
                               "cpu0 300 0 50 700 50 0 0 0 50 0\n"
                               "cpu1 100 0 50 900 50 0 0 0 0 0\n");
    At(2000);
    EXPECT_EQ(Value(tagCpuUsage, "0"), "50.00") << "\"0\", as a tag without brackets passes";
    EXPECT_EQ(Value(tagCpuUsage, "1"), "100.00");
    EXPECT_EQ(Value(tagCpuUsage, " 2 "), "0.00");
    EXPECT_EQ(Value(tagCpuUsage, "x"), "50.00") << "not a number: all processors";
}

TEST_F(Procgauge, TwoTagsInOneTickShowTheSameLoad) {
    tree.Write("/proc/stat", "cpu  100 0 0 100 0 0 0 0\ncpu0 100 0 0 100 0 0 0 0\n");
    At(1000);
    ASSERT_EQ(Value(tagCpuUsage, ""), "50.00");
    tree.Write("/proc/stat", "cpu  175 0 0 125 0 0 0 0\ncpu0 175 0 0 125 0 0 0 0\n");
    At(1500);
    EXPECT_EQ(Value(tagCpuUsage, ""), "75.00");
    EXPECT_EQ(Value(tagCpuUsage, ""), "75.00") << "the bar and its figure agree";

    // A new copy of /proc/stat only 2 jiffies on: too short a sample, the figure stays.
    tree.Write("/proc/stat", "cpu  176 0 0 126 0 0 0 0\ncpu0 176 0 0 126 0 0 0 0\n");
    At(1700);
    EXPECT_EQ(Value(tagCpuUsage, ""), "75.00");
    tree.Write("/proc/stat", "cpu  176 0 0 134 0 0 0 0\ncpu0 176 0 0 134 0 0 0 0\n");
    At(1900);
    EXPECT_EQ(Value(tagCpuUsage, ""), "10.00") << "1 busy of 10 since the last full sample";
}

TEST_F(Procgauge, MissingOrBrokenStatGivesAnEmptyText) {
    At(1000);
    EXPECT_EQ(Value(tagCpuUsage, ""), "");
    tree.Write("/proc/stat", "cpux 1 2 3\ncpu \n");
    At(2000);
    EXPECT_EQ(Value(tagCpuUsage, ""), "") << "a cpu line without counters";
    tree.Write("/proc/stat", "cpu  50 0 0 50\n"); // an old kernel's four fields
    At(3000);
    EXPECT_EQ(Value(tagCpuUsage, ""), "50.00");
}

TEST_F(Procgauge, MinusOneClearsAndUnknownIndexesKeepThePreviousText) {
    std::strcpy(gVendorId, "GenuineIntel");
    UseProbes({FakeCounter, FakeStamp, FakeCpuid});
    ASSERT_EQ(Value(tagCpuVendor), "Intel Corporation");
    EXPECT_EQ(Value(4), "Intel Corporation");
    EXPECT_EQ(Value(16), "Intel Corporation");
    EXPECT_EQ(Value(-2), "Intel Corporation");
    EXPECT_EQ(Value(-1), "");
    EXPECT_EQ(Value(static_cast<int32_t>(0x00050000 | tagCpuVendor)), "Intel Corporation")
        << "only the low 16 bits count";
}

namespace {

// The first processor's fields of the real /proc/cpuinfo.
std::string CpuinfoField(const char* key) {
    const std::string text = orv::test::ReadText("/proc/cpuinfo");
    const auto value = LineField(std::string_view(text).substr(0, text.find("\n\n")), key, ':');
    return value ? std::string(*value) : std::string();
}

// Keeps one processor busy while it lives.
class TBusyProcessor {
public:
    explicit TBusyProcessor(int processor) {
        thread_ = std::thread([this, processor] {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(processor, &set);
            pinned_ = ::pthread_setaffinity_np(::pthread_self(), sizeof set, &set) == 0;
            running_ = true;
            while (!stop_) {
            }
        });
        while (!running_) std::this_thread::yield();
    }
    ~TBusyProcessor() {
        stop_ = true;
        thread_.join();
    }
    bool Pinned() const { return pinned_; }

private:
    std::atomic<bool> stop_{false}, running_{false}, pinned_{false};
    std::thread thread_;
};

} // namespace

TEST_F(Procgauge, OnTheRealMachine) {
    UseMachineTree();
    const std::string vendorId = CpuinfoField("vendor_id");
    if (!vendorId.empty() && vendorId != "HygonGenuine") {
        EXPECT_NE(Value(tagCpuVendor), "") << vendorId;
    }
    EXPECT_EQ(Trim(Value(tagCpuID)), CpuinfoField("model name"));

    const std::string text = Value(tagCpuFreq);
    const double shown = std::stod(text);
    const std::string unit = text.substr(text.find(' ') + 1);
    ASSERT_TRUE(unit == "GHz" || unit == "MHz") << text;
    const double mhz = unit == "GHz" ? shown * 1000 : shown;
    if (const std::string cpuinfoMhz = CpuinfoField("cpu MHz"); !cpuinfoMhz.empty()) {
        EXPECT_NEAR(mhz, std::stod(cpuinfoMhz), std::stod(cpuinfoMhz) * 0.1) << text;
    }
}

TEST_F(Procgauge, OneBusyProcessorShowsInTheLoad) {
    UseMachineTree();
    const unsigned processors = std::thread::hardware_concurrency();
    if (processors < 2) GTEST_SKIP() << "needs two processors";
    TBusyProcessor busy(0);
    ASSERT_TRUE(busy.Pinned());
    Value(tagCpuUsage, "");
    Value(tagCpuUsage, "1");
    Value(tagCpuUsage, "2");
    // The load is an average over the time between two samples: let a second pass.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double all = std::stod(Value(tagCpuUsage, ""));
    const double first = std::stod(Value(tagCpuUsage, "1"));
    const double second = std::stod(Value(tagCpuUsage, "2"));
    EXPECT_GE(all, 100.0 / processors - 2.0) << "one of " << processors << " processors is busy";
    EXPECT_GE(first, 90.0);
    // On an otherwise idle machine the second processor reads far lower; on a busy one both
    // are near 100.
    EXPECT_GE(first, second - 5.0) << first << " / " << second;
    EXPECT_EQ(Value(tagCpuUsage, std::to_string(processors + 1).c_str()), "");
}
