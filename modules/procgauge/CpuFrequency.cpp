#include "modules/procgauge/CpuFrequency.h"

#include "modules/common/LineFields.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <pthread.h>
#include <sched.h>

namespace orv {

namespace {

constexpr std::array<uint32_t, 9> kRoundFigures = {0, 20, 33, 50, 60, 66, 80, 90, 100};
constexpr uint64_t kRemeasureCounts = 10 * kPerformanceCounterHz;

// Rounding to the nearest integer, halves to the even neighbour.
int64_t RoundEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

// Raises the calling thread to the highest real-time priority for one trial and puts it back.
// Without the right to do so the trial runs at the thread's own priority.
class TTimeCriticalSection {
public:
    TTimeCriticalSection() {
        if (::pthread_getschedparam(::pthread_self(), &policy_, &param_) != 0) return;
        sched_param critical{};
        critical.sched_priority = ::sched_get_priority_max(SCHED_FIFO);
        raised_ = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &critical) == 0;
    }
    ~TTimeCriticalSection() {
        if (raised_) ::pthread_setschedparam(::pthread_self(), policy_, &param_);
    }
    TTimeCriticalSection(const TTimeCriticalSection&) = delete;
    TTimeCriticalSection& operator=(const TTimeCriticalSection&) = delete;

private:
    int policy_ = 0;
    sched_param param_{};
    bool raised_ = false;
};

struct TTrial {
    uint64_t counts; // of the performance counter
    uint32_t cycles; // of the time-stamp counter, low 32 bits
};

TTrial RunTrial(const TProcessorProbes& probes) {
    const uint64_t start = probes.PerformanceCounter();
    uint64_t t0 = start, t1 = start;
    uint32_t s0 = 0, s1 = 0;
    {
        TTimeCriticalSection critical;
        do {
            t1 = probes.PerformanceCounter();
            s0 = static_cast<uint32_t>(probes.TimeStampCounter());
        } while (t1 - t0 < 50);
        t0 = t1;
        do {
            t1 = probes.PerformanceCounter();
            s1 = static_cast<uint32_t>(probes.TimeStampCounter());
        } while (t1 - t0 < 1000);
    }
    return {t1 - t0, s1 - s0};
}

} // namespace

uint32_t RoundFrequency(uint32_t normalisedMhz) {
    const uint32_t r = normalisedMhz % 100;
    size_t i = 1;
    while (i + 1 < kRoundFigures.size() && r >= kRoundFigures[i]) ++i;
    const uint32_t below = kRoundFigures[i - 1], above = kRoundFigures[i];
    return r - below < above - r ? normalisedMhz - (r - below) : normalisedMhz + (above - r);
}

uint32_t MeasureFrequency(const TProcessorProbes& probes) {
    if (!probes.PerformanceCounter || !probes.TimeStampCounter) return 0;
    int64_t totalUs = 0, totalCycles = 0;
    int64_t f1 = 0, f2 = 0;
    for (int trial = 1;; ++trial) {
        const TTrial t = RunTrial(probes);
        const int64_t us = RoundEven(static_cast<double>(t.counts) * 100000.0 /
                                     static_cast<double>(kPerformanceCounterHz / 10));
        totalUs += us;
        totalCycles += t.cycles;
        const int64_t f = us > 0 ? RoundEven(static_cast<double>(t.cycles) / us) : 0;
        const int64_t sum = f + f1 + f2;
        const bool steady = std::llabs(3 * f - sum) <= 3 && std::llabs(3 * f1 - sum) <= 3 &&
                            std::llabs(3 * f2 - sum) <= 3;
        f2 = f1;
        f1 = f;
        if (trial >= 3 && (trial >= 20 || steady)) break;
    }
    if (totalUs <= 0) return 0;
    const double perUs = static_cast<double>(totalCycles) / static_cast<double>(totalUs);
    int64_t tenths = RoundEven(perUs * 10);
    const int64_t hundredths = RoundEven(perUs * 100);
    if (hundredths - tenths * 10 >= 6) ++tenths;
    int64_t normalised = RoundEven(perUs);
    if (tenths - normalised * 10 >= 6) ++normalised;
    if (normalised <= 0 || normalised > UINT32_MAX - 100) return 0;
    return RoundFrequency(static_cast<uint32_t>(normalised));
}

uint32_t TCpuFrequency::Mhz(const TProcessorProbes& probes, const TSystemTree& tree) {
    const uint64_t now = probes.PerformanceCounter ? probes.PerformanceCounter() : 0;
    if (measured_ && now - measuredAt_ < kRemeasureCounts) return mhz_;
    mhz_ = probes.TimeStampCounter ? MeasureFrequency(probes) : FromSystemFiles(tree);
    measuredAt_ = probes.PerformanceCounter ? probes.PerformanceCounter() : 0;
    measured_ = true;
    return mhz_;
}

uint32_t TCpuFrequency::FromSystemFiles(const TSystemTree& tree) {
    const auto khz = tree.ReadUnsigned("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq");
    if (khz && *khz >= 500 && *khz / 1000 < UINT32_MAX - 100)
        return RoundFrequency(static_cast<uint32_t>((*khz + 500) / 1000));
    const auto cpuinfo = tree.Read("/proc/cpuinfo");
    const auto mhz = cpuinfo ? LineField(*cpuinfo, "cpu MHz", ':') : std::nullopt;
    if (!mhz) return 0;
    const double value = std::strtod(std::string(*mhz).c_str(), nullptr);
    if (!(value >= 0.5 && value < 1e9)) return 0;
    return RoundFrequency(static_cast<uint32_t>(std::lround(value)));
}

} // namespace orv
