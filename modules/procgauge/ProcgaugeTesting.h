// The test hooks of procgauge, exported beside getPlugin; the host never looks them up. Besides
// these, procgauge exports the shared hooks of SystemTree.h (a fake /proc and /sys) and
// TickClock.h (the age of its copy of /proc/stat).
#pragma once

#include "modules/procgauge/ProcessorProbes.h"

// Replaces the counters and cpuid (null: the machine's own) and forgets every measurement.
using TProcgaugeSetProbesFunc = void (*)(const orv::TProcessorProbes* probes);
constexpr const char* kProcgaugeSetProbesExport = "ProcgaugeSetProbesForTesting";
