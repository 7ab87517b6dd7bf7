// The "Common" settings the display thread uses, taken from the settings model; a default
// TDisplaySettings holds the defaults of the settings file.
#pragma once

#include "host/SettingsValues.h"

#include <cstdint>
#include <string>

namespace orv {

struct TDisplaySettings {
    TDisplaySettings() : TDisplaySettings(TCommonSettings()) {}
    explicit TDisplaySettings(const TCommonSettings& common)
        : BaseTimeoutMs(common.BaseTimeoutMs), LongDelayPeriod(common.LongDelayPeriod),
          CalculateTimeForLongStrings(common.CalculateTimeForLongStrings),
          SubScreenShowTimeS(common.SubScreenShowTimeSec), ScrollDelimiter(common.ScrollDelimiter),
          UseScrollDelimiter(common.UseScrollDelimiter),
          TransitionSpeedMs(common.TransitionSpeedMs) {}

    int32_t BaseTimeoutMs; // below 1 counts as 1
    int32_t LongDelayPeriod;
    bool CalculateTimeForLongStrings;
    int32_t SubScreenShowTimeS;
    std::string ScrollDelimiter;
    bool UseScrollDelimiter;
    int32_t TransitionSpeedMs;
};

} // namespace orv
