#include "modules/procgauge/ProcessorProbes.h"

#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define ORVANTA3_X86 1
#endif

namespace orv {

namespace {

uint64_t MonotonicRawCounter() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return static_cast<uint64_t>(now.tv_sec) * kPerformanceCounterHz +
           static_cast<uint64_t>(now.tv_nsec) / (1000000000 / kPerformanceCounterHz);
}

#ifdef ORVANTA3_X86
uint64_t ReadTimeStampCounter() { return __rdtsc(); }

void ReadCpuid(uint32_t leaf, uint32_t registers[4]) {
    __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
}
#endif

} // namespace

TProcessorProbes MachineProbes() {
#ifdef ORVANTA3_X86
    return {MonotonicRawCounter, ReadTimeStampCounter, ReadCpuid};
#else
    return {MonotonicRawCounter, nullptr, nullptr};
#endif
}

} // namespace orv
