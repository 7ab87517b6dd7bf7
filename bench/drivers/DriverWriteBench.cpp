// One 20-character WriteText through each panel driver on the port library's emulated panel,
// WriteDelay 0. "Driver" runs the built driver library as the host loads it (the HD44780
// positioning instruction includes its 10 ms sleep); "NoSleep" runs the driver class in
// process with the instruction sleeps taken out, leaving the port writes and the emulator.
#include "drivers/graphport/LCDControl_KS0108_LPT.h"
#include "drivers/textport/LCDControl_LPT.h"

#include "abi/ConstUnit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

const std::string kOutput = ORVANTA3_OUTPUT_DIR;
const std::string kLine = "Load 42%  Mem 512 MB"; // 20 characters

// Port writes of one 20-character line: HD44780 positioning (3) + 3 per character; KS0108 two
// page instructions (5 each) + per character one column instruction (5) and six data bytes (4
// each).
constexpr int kTextportWrites = 3 + 3 * 20;
constexpr int kGraphportWrites = 2 * 5 + 20 * (5 + 6 * 4);

// A private documents folder with WriteDelay 0 for both drivers, and the emulated panel.
class TBenchFolder {
public:
    explicit TBenchFolder(const std::string& panel) {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvanta3-bench-XXXXXX");
        path_ = ::mkdtemp(pattern.data());
        std::ofstream(path_ + "/Orvanta3.ini")
            << "[textport.so]\nLines count=2\nCols count=20\nTiming=0\n"
            << "[graphport.so]\nTiming=0\n";
        ::setenv("XDG_DOCUMENTS_DIR", path_.c_str(), 1);
        ::setenv("ORVANTA3_PORTIO", ("emu:" + panel + ":" + path_ + "/panel.txt").c_str(), 1);
    }
    ~TBenchFolder() { std::filesystem::remove_all(path_); }

private:
    std::string path_;
};

void SetRate(benchmark::State& state, int writesPerLine) {
    state.counters["port_writes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * writesPerLine, benchmark::Counter::kIsRate);
}

void RunDriverLibrary(benchmark::State& state, const char* file, const char* panel,
                      int writesPerLine) {
    TBenchFolder folder(panel);
    void* handle = ::dlopen((kOutput + "/plugins/hardware/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        state.SkipWithError(::dlerror());
        return;
    }
    auto* descriptor = reinterpret_cast<TGetHardwareFunc>(::dlsym(handle, kGetHardwareExport))();
    if (descriptor->Init() != 0 || !descriptor->Control->GetActive()) {
        state.SkipWithError("the driver did not activate");
    } else {
        for (auto _ : state) descriptor->Control->WriteText(1, 1, kLine.data(), kLine.size());
        SetRate(state, writesPerLine);
    }
    descriptor->Release();
    ::dlclose(handle);
}

template <typename TControl>
void RunInProcess(benchmark::State& state, const char* panel, int writesPerLine) {
    TBenchFolder folder(panel);
    auto control = std::make_unique<TControl>();
    control->SetPortLibraryPath(kOutput + "/libdlportio.so");
    control->SetSleeper([](int) {});
    control->SetRowCount(2);
    control->SetColCount(20);
    control->SetWriteDelay(0);
    control->SetActive(true);
    if (!control->GetActive()) {
        state.SkipWithError("the driver did not activate");
        return;
    }
    for (auto _ : state) control->WriteText(1, 1, kLine.data(), kLine.size());
    SetRate(state, writesPerLine);
}

void BM_TextportDriver(benchmark::State& state) {
    RunDriverLibrary(state, "textport.so", "hd44780:2x20", kTextportWrites);
}
void BM_GraphportDriver(benchmark::State& state) {
    RunDriverLibrary(state, "graphport.so", "ks0108", kGraphportWrites);
}
void BM_TextportNoSleep(benchmark::State& state) {
    RunInProcess<orv::TLCDControl_LPT>(state, "hd44780:2x20", kTextportWrites);
}
void BM_GraphportNoSleep(benchmark::State& state) {
    RunInProcess<orv::TLCDControl_KS0108_LPT>(state, "ks0108", kGraphportWrites);
}

} // namespace

// Real time: the sleeps and the emulator are part of what a line costs.
BENCHMARK(BM_TextportDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GraphportDriver)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TextportNoSleep)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_GraphportNoSleep)->Unit(benchmark::kMicrosecond)->UseRealTime();
