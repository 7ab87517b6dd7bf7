// Processor load from the counters of /proc/stat: the share of time that was not idle since
// the previous sample of the same line.
#pragma once

#include "modules/common/SourceFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Busy time out of all time, in jiffies.
struct TCpuShare {
    uint64_t Busy = 0;
    uint64_t Total = 0;
};

class TCpuLoad {
public:
    static constexpr int kAllProcessors = -1;

    void Open(std::string statPath);

    // The load of all processors (the "cpu" line) or of one processor ("cpuN"), over the time
    // since that line's previous sample; the first sample covers the time since boot. nullopt
    // when the line is missing. A sample that spans less than kMinSampleJiffies per processor
    // (two tags in one tick) repeats the last figure and leaves the interval open. /proc/stat
    // is read again when its copy is older than kMaxCopyAgeMs at nowMs.
    std::optional<TCpuShare> Load(int processor, uint64_t nowMs);

    static constexpr uint64_t kMinSampleJiffies = 5;
    static constexpr uint64_t kMaxCopyAgeMs = 100;

private:
    struct TCounters {
        uint64_t Idle = 0;  // idle + iowait
        uint64_t Total = 0; // user, nice, system, idle, iowait, irq, softirq, steal
    };
    struct TLineState {
        TCounters Previous;
        std::optional<TCpuShare> Last;
    };

    static std::optional<TCounters> ParseLine(std::string_view text, std::string_view name,
                                              int* processorCount);
    TLineState& State(int processor);

    TSourceFile stat_;
    TLineState all_;
    std::vector<TLineState> single_;
};

} // namespace orv
