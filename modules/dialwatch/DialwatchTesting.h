// The test hook of dialwatch, exported beside getPlugin; the host never looks it up. A test
// stands in for the kernel's PPP statistics with a function of its own (0 = answered), and
// returns to the ioctls with null. The run files and sysfs come from the fake tree of
// SetSystemRootForTesting, the time from SetTickForTesting (ms since the epoch).
#pragma once

#include "modules/dialwatch/PppStatistics.h"

#include <cstdint>

using TPppStatisticsFunc = int32_t (*)(const char* interfaceName, TPppCounters* counters);
using TDialwatchSetStatisticsFunc = void (*)(TPppStatisticsFunc statistics);
constexpr const char* kDialwatchSetStatisticsExport = "DialwatchSetStatisticsForTesting";
