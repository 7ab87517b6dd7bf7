// The test hooks of chronos, exported beside getPlugin; the host never looks them up. The local
// date and time are pinned through the shared wall-clock hook (WallClock.h), the uptime here;
// null returns to the system's clock.
#pragma once

#include "modules/common/WallClock.h"

#include <cstdint>

using TChronosSetUptimeFunc = void (*)(const uint64_t* uptimeMs);
constexpr const char* kChronosSetUptimeExport = "ChronosSetUptimeForTesting";
