// The test hook of chronos. The library exports ChronosSetClockForTesting beside getPlugin; the
// host never looks it up. Given a clock, the module answers from that fixed local date, time and
// uptime instead of the system's clocks until it is called again with null.
#pragma once

#include <cstdint>

struct TChronosClock {
    int32_t Year;   // 2026
    int32_t Month;  // 1..12
    int32_t Day;    // 1..31
    int32_t Hour;   // 0..23
    int32_t Minute; // 0..59
    int32_t Second; // 0..59
    uint64_t UptimeMs;
};

using TChronosSetClockFunc = void (*)(const TChronosClock* clock);
constexpr const char* kChronosSetClockExport = "ChronosSetClockForTesting";
