// One GetValue of each tag of procgauge, ramgauge, diskfacts and hostfacts, loaded from the
// build's plugins/software folder as the host loads them and reading this machine. Where a
// module keeps a copy of a system file, the plain run shows the call served from the copy (the
// second tag of a display tick) and "fresh" the call that reads the file again; "$cpuFreq
// measured" is one frequency measurement, which the module repeats at most every 10 s.
#include "host/ModuleLibrary.h"
#include "modules/common/TickClock.h"
#include "modules/procgauge/ProcgaugeTesting.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace orv;

namespace {

struct TLoaded {
    std::unique_ptr<TModuleLibrary> library;
    TPluginDescriptor* descriptor = nullptr;
};

std::vector<TLoaded>& Modules() {
    static std::vector<TLoaded> modules;
    return modules;
}

TLoaded* Load(const std::string& fileName) {
    std::string error;
    TLoaded loaded;
    loaded.library = TModuleLibrary::Open(
        std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/software/" + fileName, &error);
    if (loaded.library) loaded.descriptor = loaded.library->DataModuleDescriptor(&error);
    if (!loaded.descriptor) {
        std::fprintf(stderr, "%s: %s\n", fileName.c_str(), error.c_str());
        return nullptr;
    }
    if (loaded.descriptor->LoadSettings) loaded.descriptor->LoadSettings();
    Modules().push_back(std::move(loaded));
    return &Modules().back();
}

// The parameter a typical job gives each tag.
const char* ParamOf(std::string_view tag) {
    if (tag == "$cpuUsage") return "";
    return "0";
}

void RegisterTags(const TLoaded& module) {
    const TPluginDescriptor* d = module.descriptor;
    for (int k = 1; k <= d->TagCount; ++k) {
        const char* param = ParamOf(d->TagNames[k]);
        benchmark::RegisterBenchmark(d->TagNames[k], [d, k, param](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(d->GetValue(k - 1, param));
        });
    }
}

// The tag with a clock that moves on by a second before every call, so the module reads its
// file again each time.
void RegisterFresh(const TLoaded& module, int32_t index, const char* param) {
    const auto pin = reinterpret_cast<TSetTickFunc>(module.library->Symbol(kSetTickExport));
    if (!pin) return;
    const TPluginDescriptor* d = module.descriptor;
    const std::string name = std::string(d->TagNames[index + 1]) + " fresh";
    benchmark::RegisterBenchmark(name.c_str(), [d, index, param, pin](benchmark::State& state) {
        uint64_t nowMs = 1000000;
        for (auto _ : state) {
            nowMs += 1000;
            pin(&nowMs);
            benchmark::DoNotOptimize(d->GetValue(index, param));
        }
        pin(nullptr);
    });
}

} // namespace

int main(int argc, char** argv) {
    // Default unit words: a documents folder without settings.
    std::string folder = (std::filesystem::temp_directory_path() / "orvanta3-bench-XXXXXX");
    ::setenv("XDG_DOCUMENTS_DIR", ::mkdtemp(folder.data()), 1);
    Modules().reserve(4);

    if (const TLoaded* procgauge = Load("procgauge.so")) {
        RegisterTags(*procgauge);
        RegisterFresh(*procgauge, 3, "");
        const auto setProbes = reinterpret_cast<TProcgaugeSetProbesFunc>(
            procgauge->library->Symbol(kProcgaugeSetProbesExport));
        const TPluginDescriptor* d = procgauge->descriptor;
        if (setProbes)
            benchmark::RegisterBenchmark("$cpuFreq measured", [d, setProbes](benchmark::State& s) {
                for (auto _ : s) {
                    setProbes(nullptr); // forgets the last measurement
                    benchmark::DoNotOptimize(d->GetValue(0, "0"));
                }
            })->Unit(benchmark::kMicrosecond);
    }
    if (const TLoaded* ramgauge = Load("ramgauge.so")) {
        RegisterTags(*ramgauge);
        RegisterFresh(*ramgauge, 0, "0");
    }
    for (const char* name : {"diskfacts.so", "hostfacts.so"})
        if (const TLoaded* module = Load(name)) RegisterTags(*module);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
