// One row of a 20-band spectrum ($mp3Spectrum20[11]) from the built playstate module, as the
// display thread asks for it, with the block's bands changing between calls as the bridge's
// updates make them.
#include "abi/ConstUnit.h"
#include "abi/MediaBlocks.h"
#include "host/ModuleLibrary.h"
#include "base/SharedMemory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr int32_t kSpectrum20 = 11;

void Spectrum20Row(benchmark::State& state) {
    const std::string suffix = ".bench-" + std::to_string(::getpid());
    ::setenv("ORVANTA3_SHM_SUFFIX", suffix.c_str(), 1);
    auto block = orv::TSharedBlock::Create(orv::kMp3DataName, sizeof(orv::TMp3Data), true);
    auto library = orv::TModuleLibrary::Open(std::string(ORVANTA3_OUTPUT_DIR) +
                                             "/plugins/software/playstate.so");
    TPluginDescriptor* module = library ? library->DataModuleDescriptor() : nullptr;
    if (!block || !module) {
        state.SkipWithError("playstate.so or the shared block is missing");
        return;
    }
    module->LoadSettings();
    auto* data = static_cast<orv::TMp3Data*>(block->Data());
    data->State = orv::msPlaying;
    uint8_t phase = 0;
    for (auto _ : state) {
        for (size_t b = 0; b < orv::kMp3Bands; ++b)
            data->Spectrum[b] = static_cast<uint8_t>(phase + 13 * b);
        phase = static_cast<uint8_t>(phase + 37);
        benchmark::DoNotOptimize(module->GetValue(kSpectrum20, "11"));
    }
    orv::TSharedBlock::Remove(orv::kMp3DataName);
}
BENCHMARK(Spectrum20Row);

} // namespace
