// Cost of one tick of the display thread on a full 4 x 20 screen of eight elements with a bar
// and a scrolling line: refresh, build, lay out and map all rows, hand them to the driver and
// the frame sink. Module answers are fixed strings and the driver does nothing, so neither the
// modules' own work nor panel I/O is counted.
#include "bench/support/FixedCatalogue.h"
#include "engine/Charsets.h"
#include "engine/ControlThread.h"
#include "engine/EngineClock.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "abi/ConstUnit.h"

#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <stop_token>

using namespace orv;
using orv::bench::TFixedCatalogue;

namespace {

const std::map<std::string, std::string> kAnswers = {
    {"$time", "09:41:07"},
    {"$date", "11.06.24"},
    {"$cpuUsage", "42.5"},
    {"$memFree", "1234 Mb"},
    {"$headline", "Orvanta3 shows the news of the day on a line that is far too long to fit "
                  "the panel!"},
};

class TNullPanel : public TLCDBaseControl {
public:
    bool GetActive() override { return true; }
    int32_t GetColCount() override { return 20; }
    int32_t GetRowCount() override { return 4; }
    void WriteText(uint8_t, uint8_t, const char* text, size_t) override {
        benchmark::DoNotOptimize(text);
    }
};

// Time that moves only when the thread sleeps, so ticks follow each other without waiting.
class TInstantClock : public TEngineClock {
public:
    int64_t NowMs() override { return now_; }
    void SleepMs(int64_t ms) override { now_ += ms; }

private:
    int64_t now_ = 0;
};

// Ends the run after a number of frames.
class TTickCounter : public TFrameSink {
public:
    void ShowFrame(const std::vector<std::string>& rows) override {
        benchmark::DoNotOptimize(rows.data());
        if (++frames_ == ticks_) stop_.request_stop();
    }
    std::stop_token Arm(int64_t ticks) {
        frames_ = 0;
        ticks_ = ticks;
        stop_ = std::stop_source();
        return stop_.get_token();
    }

private:
    int64_t frames_ = 0;
    int64_t ticks_ = 0;
    std::stop_source stop_;
};

// Time and date; a 12-cell bar and its percentage; a memory line of three pieces; a headline
// of 83 characters scrolling one character per tick.
constexpr std::array<const char*, 4> kScreen = {
    "$time[,,,4]$$date[,r,,1]$",
    "$cpuUsage[,,12,4,bar]$$cpuUsage[,r,,4]$",
    "Free $memFree[,,,2]$ RAM",
    "$headline[,,,1]$",
};

void BM_Tick(benchmark::State& state) {
    constexpr int64_t kTicksPerRun = 1000;
    TFixedCatalogue catalogue{kAnswers};
    TCharsets charsets;
    charsets.SwitchCharset(0);
    TTagLanguage language(catalogue, charsets);
    TJob job;
    job.AddScreen("bench");
    for (int line = 1; line <= 4; ++line) job.SetLine(0, line, kScreen[line - 1]);
    TNullPanel panel;
    TInstantClock clock;
    TSystemRandom random;
    TTickCounter counter;
    TControlThread thread(
        job, language, charsets, [&] { return &panel; }, clock, random);
    thread.SetGeometry(4, 20);
    thread.SetFrameSink(&counter);

    // Each run enters the screen once and then ticks; entry is a thousandth of the time.
    for (auto _ : state) thread.Run(counter.Arm(kTicksPerRun));
    state.counters["per_tick"] = benchmark::Counter(
        kTicksPerRun, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMillisecond);

} // namespace
