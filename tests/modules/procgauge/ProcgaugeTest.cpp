// procgauge as the host sees it: the built library, its descriptor, and its answers for fake
// counters, a fake cpuid and a fake /proc; then against the real machine.
#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "modules/procgauge/ProcgaugeTesting.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <iostream>
#include <optional>
#include <regex>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

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
        setProbes = reinterpret_cast<TProcgaugeSetProbesFunc>(
            module.Library().Symbol(kProcgaugeSetProbesExport));
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
    EXPECT_EQ(
        TBuiltModule::Texts(d.TagExamples),
        TBuiltModule::Sixteen({"$cpuFreq$", "$cpuVendor$", "$cpuID$", "$cpuUsage[,,10,3,bar]$"}));
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
    std::snprintf(gBrand, sizeof gBrand, "%s", "   AMD Athlon(tm) 64 Processor 3200+   ");
    gMaxExtendedLeaf = 0x80000008;
    UseProbes({FakeCounter, FakeStamp, FakeCpuid});
    EXPECT_EQ(Value(tagCpuVendor), "Advanced Micro Devices");
    EXPECT_EQ(Value(tagCpuID), "AMD Athlon(tm) 64 Processor 3200+") << "blanks trimmed";

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

// The vendor identification and the trimmed brand string straight from the processor, read
// here without the module's code; nullopt without cpuid or its brand leaves.
struct TCpuidNames {
    std::string Vendor, Brand;
};
std::optional<TCpuidNames> CpuidNames() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned r[4] = {};
    if (!__get_cpuid(0, &r[0], &r[1], &r[2], &r[3])) return std::nullopt;
    TCpuidNames names;
    for (const unsigned reg : {r[1], r[3], r[2]})
        names.Vendor.append(reinterpret_cast<const char*>(&reg), 4);
    // int in clang's header, unsigned in GCC's.
    if (static_cast<unsigned>(__get_cpuid_max(0x80000000, nullptr)) < 0x80000004u)
        return std::nullopt;
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        __get_cpuid(0x80000002 + leaf, &r[0], &r[1], &r[2], &r[3]);
        std::memcpy(brand + leaf * 16, r, 16);
    }
    names.Brand = std::string(Trim(brand));
    return names;
#else
    return std::nullopt;
#endif
}

// The first processor this thread may run on, or -1.
int FirstAllowedProcessor() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) return -1;
    for (int n = 0; n < CPU_SETSIZE; ++n)
        if (CPU_ISSET(n, &set)) return n;
    return -1;
}

// Keeps one processor busy while it lives and tells how much time it got on it.
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
        clockid_t clock;
        if (::pthread_getcpuclockid(thread_.native_handle(), &clock) == 0) clock_ = clock;
    }
    ~TBusyProcessor() {
        stop_ = true;
        thread_.join();
    }
    bool Pinned() const { return pinned_ && clock_; }
    // The processor time the thread has used, in seconds.
    double Seconds() const {
        timespec used{};
        ::clock_gettime(*clock_, &used);
        return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    }

private:
    std::atomic<bool> stop_{false}, running_{false}, pinned_{false};
    std::optional<clockid_t> clock_;
    std::thread thread_;
};

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// The machine may be virtual, busy, without cpuid or without a time-stamp counter: the brand is
// compared with the processor's own answer, and the frequency only for its form, since a
// hypervisor's /proc/cpuinfo may name the processor otherwise and "cpu MHz" follows the
// current clock, not the nominal one.
TEST_F(Procgauge, OnTheRealMachine) {
    UseMachineTree();
    const std::string brand = Value(tagCpuID);
    EXPECT_LE(brand.size(), 48u);
    EXPECT_EQ(brand, std::string(Trim(brand))) << "no blanks around the brand";
    if (const auto cpuid = CpuidNames()) {
        EXPECT_EQ(brand, Utf8ToCp1251(cpuid->Brand));
        if (cpuid->Vendor == "GenuineIntel") {
            EXPECT_EQ(Value(tagCpuVendor), "Intel Corporation");
        } else if (cpuid->Vendor == "AuthenticAMD") {
            EXPECT_EQ(Value(tagCpuVendor), "Advanced Micro Devices");
        }
    } else {
        std::cout << "[ NOTE     ] no cpuid brand leaves: the brand is checked for its form\n";
    }

    const std::string text = Value(tagCpuFreq);
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_NE(text, "0 Hz") << "the time-stamp counter was there to measure";
#else
    if (text == "0 Hz") GTEST_SKIP() << "no clock in cpufreq or /proc/cpuinfo on this machine";
#endif
    EXPECT_TRUE(std::regex_match(text, std::regex("[1-9][0-9]{0,2}\\.[0-9]{2} [MG]Hz"))) << text;
}

// A thread pinned to one processor: that processor was busy for at least the time the thread
// ran, however busy the machine was; on a loaded or throttled machine it may have run little.
TEST_F(Procgauge, OneBusyProcessorShowsInTheLoad) {
    UseMachineTree();
    const unsigned processors = std::thread::hardware_concurrency();
    const int processor = FirstAllowedProcessor();
    if (processors < 1 || processor < 0) GTEST_SKIP() << "cannot tell the processors here";
    TBusyProcessor busy(processor);
    if (!busy.Pinned()) GTEST_SKIP() << "cannot pin a thread to processor " << processor;
    const std::string index = std::to_string(processor + 1);
    const double ranBefore = busy.Seconds(), startedAt = WallSeconds();
    Value(tagCpuUsage, "");
    Value(tagCpuUsage, index.c_str());
    // The load is an average over the time between two samples: let a second pass.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double all = std::stod(Value(tagCpuUsage, ""));
    const double one = std::stod(Value(tagCpuUsage, index.c_str()));
    const double ran = 100 * (busy.Seconds() - ranBefore) / (WallSeconds() - startedAt);
    std::cout << "[ NOTE     ] the pinned thread ran " << ran << "% of the time\n";
    // The kernel counts time in ticks: allow ten points for the sampling of a shared processor.
    EXPECT_GE(one, ran - 10) << "processor " << processor;
    EXPECT_LE(one, 100.0);
    EXPECT_GE(all, (ran - 10) / processors) << processors << " processors";
    EXPECT_LE(all, 100.0);
    EXPECT_EQ(Value(tagCpuUsage, std::to_string(CPU_SETSIZE + 1).c_str()), "");
}
