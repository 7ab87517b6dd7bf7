// Cost of the tag language on a full 4 x 20 screen of eight elements with a bar, without the
// modules' own work (answers are fixed strings).
#include "bench/support/FixedCatalogue.h"
#include "engine/Charsets.h"
#include "engine/TagLanguage.h"

#include <benchmark/benchmark.h>

#include <array>
#include <map>

using namespace orv;
using orv::bench::TFixedCatalogue;

namespace {

const std::map<std::string, std::string> kAnswers = {
    {"$time", "09:41:07"},
    {"$date", "11.06.24"},
    {"$cpuUsage", "42.5"},
    {"$memFree", "1234 Mb"},
    {"$headline", "Orvanta3 shows the news of the day on a line that is far too long to fit"},
};

// Eight elements: time and date; a 12-cell bar and its percentage; a memory line of three
// pieces; a long headline.
constexpr std::array<const char*, 4> kScreen = {
    "$time[,,,4]$$date[,r,,1]$",
    "$cpuUsage[,,12,4,bar]$$cpuUsage[,r,,4]$",
    "Free $memFree[,,,2]$ RAM",
    "$headline[,,,1]$",
};
constexpr int32_t kCols = 20;

struct TBenchScreen {
    TFixedCatalogue catalogue{kAnswers};
    TCharsets charsets;
    TTagLanguage language{catalogue, charsets};
    TTagList tags;

    void Enter() {
        tags.clear();
        for (int32_t line = 1; line <= static_cast<int32_t>(kScreen.size()); ++line)
            language.SplitLine(kScreen[line - 1], line, tags);
    }
};

void BM_EnterScreen(benchmark::State& state) {
    TBenchScreen screen;
    for (auto _ : state) {
        screen.Enter();
        benchmark::DoNotOptimize(screen.tags.data());
    }
}
BENCHMARK(BM_EnterScreen);

// One tick: refresh the due elements, render and build the four lines, map their glyphs.
void BM_BuildAndMapRows(benchmark::State& state) {
    TBenchScreen screen;
    screen.charsets.SwitchCharset(0);
    screen.Enter();
    for (auto _ : state) {
        for (int32_t line = 1; line <= static_cast<int32_t>(kScreen.size()); ++line) {
            std::string row = screen.language.BuildLine(screen.tags, line, kCols);
            screen.charsets.MapRow(row);
            benchmark::DoNotOptimize(row.data());
        }
    }
}
BENCHMARK(BM_BuildAndMapRows);

} // namespace
