// The processor's own counters and identification as procgauge reads them: a 10 MHz count
// derived from CLOCK_MONOTONIC_RAW, the time-stamp counter (rdtsc) and cpuid, through the
// compiler's intrinsics. A test replaces them (ProcgaugeTesting.h).
#pragma once

#include <cstdint>

namespace orv {

struct TProcessorProbes {
    // A count that advances 10,000,000 times a second.
    uint64_t (*PerformanceCounter)();
    // The time-stamp counter; null on a machine without one.
    uint64_t (*TimeStampCounter)();
    // EAX, EBX, ECX, EDX of one identification leaf; null on a machine without cpuid.
    void (*Cpuid)(uint32_t leaf, uint32_t registers[4]);
};

inline constexpr uint64_t kPerformanceCounterHz = 10000000;

// This machine's probes.
TProcessorProbes MachineProbes();

} // namespace orv
