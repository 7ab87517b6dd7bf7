// One GetValue of each tag of netcards, dialwatch and sensorlink as the host calls it, the
// built library loaded by path. netcards reads the machine's own interfaces, once from its
// three-second copy and once with the table read again on every call; dialwatch (which asks
// afresh on every call) and sensorlink read fake trees of a dialled PPP link and of two sensor
// chips, the PPP statistics answered by the benchmark.
#include "abi/ConstUnit.h"
#include "host/ModuleLibrary.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/dialwatch/DialwatchTesting.h"
#include "tests/support/FakeSystemTree.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace orv;

namespace {

// The module loaded with its settings read from an empty documents folder.
class TLoadedModule {
public:
    explicit TLoadedModule(const char* file) {
        ::setenv("XDG_DOCUMENTS_DIR", docs_.Path().c_str(), 1);
        library_ =
            TModuleLibrary::Open(std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/software/" + file);
        descriptor_ = library_ ? library_->DataModuleDescriptor() : nullptr;
    }
    bool Ok() const { return descriptor_ != nullptr; }
    template <typename T> T Symbol(const char* name) const {
        return reinterpret_cast<T>(library_->Symbol(name));
    }
    void SetRoot(const std::string& root) const {
        Symbol<TSetSystemRootFunc>(kSetSystemRootExport)(root.empty() ? nullptr : root.c_str());
    }
    void SetTick(uint64_t ms) const { Symbol<TSetTickFunc>(kSetTickExport)(&ms); }
    void LoadSettings() const { descriptor_->LoadSettings(); }
    const char* GetValue(int32_t index, const char* param) const {
        return descriptor_->GetValue(index, param);
    }

private:
    orv::test::TempDir docs_;
    std::unique_ptr<TModuleLibrary> library_;
    TPluginDescriptor* descriptor_ = nullptr;
};

void Netcards(benchmark::State& state, bool refreshEveryCall) {
    TLoadedModule module("netcards.so");
    if (!module.Ok()) return state.SkipWithError("netcards.so");
    module.LoadSettings();
    const auto tag = static_cast<int32_t>(state.range(0));
    const char* param = state.range(1) ? "0;rate" : "0";
    uint64_t tick = 1000000;
    module.SetTick(tick);
    module.GetValue(tag, param);
    for (auto _ : state) {
        if (refreshEveryCall) module.SetTick(tick += 3000);
        benchmark::DoNotOptimize(module.GetValue(tag, param));
    }
}

void BM_NetcardsCached(benchmark::State& state) { Netcards(state, false); }
void BM_NetcardsRefresh(benchmark::State& state) { Netcards(state, true); }

void NetcardsTags(benchmark::internal::Benchmark* b) {
    for (int tag = 0; tag < 12; ++tag) b->Args({tag, 0});
    b->Args({4, 1})->Args({5, 1}); // $lanIn[0;rate], $lanOut[0;rate]
}
BENCHMARK(BM_NetcardsCached)->Apply(NetcardsTags);
BENCHMARK(BM_NetcardsRefresh)->Apply(NetcardsTags);

int32_t Statistics(const char*, TPppCounters* counters) {
    *counters = {.BytesIn = 123456789,
                 .BytesOut = 4567,
                 .CompressionInPercent = 12,
                 .CompressionOutPercent = 3};
    return 0;
}

void BM_Dialwatch(benchmark::State& state) {
    orv::test::FakeSystemTree tree;
    for (const auto& [name, index, type, flags] :
         {std::tuple{"lo", 1, 772, "0x9"}, {"eth0", 2, 1, "0x1003"}, {"ppp0", 3, 512, "0x10d1"}}) {
        tree.Write("/sys/class/net/" + std::string(name) + "/ifindex", std::to_string(index));
        tree.Write("/sys/class/net/" + std::string(name) + "/type", std::to_string(type));
        tree.Write("/sys/class/net/" + std::string(name) + "/flags", flags);
    }
    tree.Write("/run/ppp0.pid", "4321\n");
    tree.Write("/run/ppp-myisp.pid", "4321\nppp0\n");
    tree.Write("/proc/4321/cmdline", std::string("pppd\0call\0myisp\0", 16));
    tree.Write("/etc/ppp/peers/myisp", "/dev/ttyUSB0\n115200\nnoauth\nmru 1200\n");
    tree.Write("/dev/ppp", "");
    TLoadedModule module("dialwatch.so");
    if (!module.Ok()) return state.SkipWithError("dialwatch.so");
    module.SetRoot(tree.Root());
    module.Symbol<TDialwatchSetStatisticsFunc>(kDialwatchSetStatisticsExport)(Statistics);
    module.LoadSettings();
    const auto tag = static_cast<int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(module.GetValue(tag, "5"));
}
BENCHMARK(BM_Dialwatch)->DenseRange(0, 9);

// No PPP link: what every tag costs on a machine that is not dialled in (this one).
void BM_DialwatchNoLink(benchmark::State& state) {
    TLoadedModule module("dialwatch.so");
    if (!module.Ok()) return state.SkipWithError("dialwatch.so");
    for (auto _ : state) benchmark::DoNotOptimize(module.GetValue(0, "0"));
}
BENCHMARK(BM_DialwatchNoLink);

void BM_Sensorlink(benchmark::State& state) {
    orv::test::FakeSystemTree tree;
    const std::string cpu = "/sys/class/hwmon/hwmon0/", board = "/sys/class/hwmon/hwmon1/";
    tree.Write(cpu + "name", "k10temp\n");
    tree.Write(cpu + "temp1_input", "41625\n");
    tree.Write(cpu + "temp1_label", "Tctl\n");
    tree.Write(board + "name", "nct6775\n");
    const char* labels[] = {"Vcore", "in1", "AVCC", "+3.3V", "in4", "in5", "in6", "3VSB", "Vbat"};
    for (int n = 0; n < 9; ++n) {
        tree.Write(board + "in" + std::to_string(n) + "_input", std::to_string(1000 + n) + "\n");
        tree.Write(board + "in" + std::to_string(n) + "_label", std::string(labels[n]) + "\n");
    }
    for (int n = 1; n <= 3; ++n) {
        tree.Write(board + "temp" + std::to_string(n) + "_input", "38000\n");
        tree.Write(board + "fan" + std::to_string(n) + "_input", "1200\n");
    }
    TLoadedModule module("sensorlink.so");
    if (!module.Ok()) return state.SkipWithError("sensorlink.so");
    module.SetRoot(tree.Root());
    module.LoadSettings();
    const auto tag = static_cast<int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(module.GetValue(tag, "0"));
}
BENCHMARK(BM_Sensorlink)->DenseRange(0, 9);

} // namespace
