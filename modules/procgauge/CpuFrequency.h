// The processor's clock frequency in MHz, measured by timing the time-stamp counter against the
// 10 MHz performance counter and rounded to a round figure.
#pragma once

#include "modules/common/SystemTree.h"
#include "modules/procgauge/ProcessorProbes.h"

#include <cstdint>

namespace orv {

// A normalised frequency rounded by its last two digits to the nearest of 0, 20, 33, 50, 60,
// 66, 80, 90, 100 (a tie rounds up): 1998 gives 2000, 2793 2790, 845 850, 1466 stays.
uint32_t RoundFrequency(uint32_t normalisedMhz);

// Runs the timing trials (at least 3, at most 20, each 1050 counts of the performance counter)
// and returns the rounded frequency; 0 without a performance counter.
uint32_t MeasureFrequency(const TProcessorProbes& probes);

// The measurement is served for 10 seconds before it is repeated: it spins for a third of a
// millisecond or more, and the time-stamp counter of current processors runs at a constant
// rate. Without a time-stamp counter the frequency is cpufreq's scaling_cur_freq of
// processor 0, else the "cpu MHz" of /proc/cpuinfo, rounded the same way.
class TCpuFrequency {
public:
    uint32_t Mhz(const TProcessorProbes& probes, const TSystemTree& tree);
    void Forget() { measured_ = false; }

private:
    static uint32_t FromSystemFiles(const TSystemTree& tree);

    bool measured_ = false;
    uint64_t measuredAt_ = 0; // performance counter
    uint32_t mhz_ = 0;
};

} // namespace orv
