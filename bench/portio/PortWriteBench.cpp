// Port writes per second: through the loaded library to each emulated panel (locks and the
// state-file throttle included), and straight into the emulator classes.
#include "drivers/portio/DlPortIo.h"
#include "drivers/portio/PortEmulator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

constexpr uint32_t kBase = 0x378;

// One data byte as the drivers send it (HD44780 three writes, KS0108 four); write takes a
// register offset.
template <typename TWrite> void Hd44780Byte(const TWrite& write, uint8_t d) {
    write(orv::kControlRegister, 0x04);
    write(orv::kDataRegister, d);
    write(orv::kControlRegister, 0x05);
}

template <typename TWrite> void Ks0108Byte(const TWrite& write, uint8_t d) {
    write(orv::kControlRegister, 0x01);
    write(orv::kDataRegister, d);
    write(orv::kControlRegister, 0x00);
    write(orv::kControlRegister, 0x01);
}

struct TLibraryWrite {
    TDlPortWritePortUchar write;
    void operator()(unsigned reg, uint8_t value) const { write(kBase + reg, value); }
};

struct TPanelWrite {
    orv::TEmulatedPanel& panel;
    void operator()(unsigned reg, uint8_t value) const { panel.Write(reg, value); }
};

void RunThroughLibrary(benchmark::State& state, const std::string& panel, int writesPerByte,
                       void (*sendByte)(const TLibraryWrite&, uint8_t)) {
    std::string folder = (std::filesystem::temp_directory_path() / "orvanta3-bench-XXXXXX");
    if (!::mkdtemp(folder.data())) return state.SkipWithError("no temporary folder");
    ::setenv("ORVANTA3_PORTIO", ("emu:" + panel + ":" + folder + "/panel.txt").c_str(), 1);
    void* lib = ::dlopen(ORVANTA3_OUTPUT_DIR "/libdlportio.so", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return state.SkipWithError(::dlerror());
    auto write = reinterpret_cast<TDlPortWritePortUchar>(::dlsym(lib, "DlPortWritePortUchar"));
    auto open = reinterpret_cast<TDlPortOpen>(::dlsym(lib, "DlPortOpen"));
    auto close = reinterpret_cast<TDlPortClose>(::dlsym(lib, "DlPortClose"));
    if (open(kBase) != 0) {
        state.SkipWithError("the emulated port did not open");
    } else {
        uint8_t d = 0;
        const TLibraryWrite libraryWrite{write};
        for (auto _ : state) sendByte(libraryWrite, d++);
        close(kBase);
    }
    state.counters["port_writes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * writesPerByte, benchmark::Counter::kIsRate);
    ::dlclose(lib);
    std::filesystem::remove_all(folder);
}

void BM_LibraryHd44780(benchmark::State& state) {
    RunThroughLibrary(state, "hd44780:2x20", 3, Hd44780Byte<TLibraryWrite>);
}
BENCHMARK(BM_LibraryHd44780);

void BM_LibraryKs0108(benchmark::State& state) {
    RunThroughLibrary(state, "ks0108", 4, Ks0108Byte<TLibraryWrite>);
}
BENCHMARK(BM_LibraryKs0108);

void RunEmulator(benchmark::State& state, orv::TEmulatedPanel& panel, int writesPerByte,
                 void (*sendByte)(const TPanelWrite&, uint8_t)) {
    const TPanelWrite write{panel};
    uint8_t d = 0;
    for (auto _ : state) sendByte(write, d++);
    state.counters["port_writes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * writesPerByte, benchmark::Counter::kIsRate);
}

void BM_EmulatorHd44780(benchmark::State& state) {
    orv::THd44780Panel panel(2, 20);
    RunEmulator(state, panel, 3, Hd44780Byte<TPanelWrite>);
}
BENCHMARK(BM_EmulatorHd44780);

void BM_EmulatorKs0108(benchmark::State& state) {
    orv::TKs0108Panel panel;
    RunEmulator(state, panel, 4, Ks0108Byte<TPanelWrite>);
}
BENCHMARK(BM_EmulatorKs0108);

// Rendering the state file, which the throttle limits to once per 20 ms.
void BM_StateTextKs0108(benchmark::State& state) {
    orv::TKs0108Panel panel;
    for (auto _ : state) benchmark::DoNotOptimize(panel.StateText());
}
BENCHMARK(BM_StateTextKs0108);

} // namespace
