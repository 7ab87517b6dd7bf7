// The kernel's hardware sensors (/sys/class/hwmon/hwmonN/) laid out as the sensor records of the
// readings: temperatures and fans by number, over every chip in hwmon order, and the seven
// standard supply voltages by position.
#pragma once

#include "modules/common/SystemTree.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Positions of the supply voltages: Core0, Core1, +3.3, +5.0, +12.0, -12.0, -5.0.
inline constexpr size_t kVoltageCount = 7;

struct THwmonLayout {
    std::vector<std::string> TemperatureFiles;           // temp*_input, millidegrees Celsius
    std::vector<std::string> FanFiles;                   // fan*_input, revolutions per minute
    std::array<std::string, kVoltageCount> VoltageFiles; // in*_input, millivolts; "" = none

    bool Empty() const;
};

// Chips in the order of their number, inputs in the order of theirs. A voltage takes its
// position from its label (in*_label) where the driver names it: "Vcore" and other core labels
// fill Core0 then Core1, "+3.3V", "+5V", "+12V", "-12V", "-5V" their rails; an input without a
// label takes the position of its number (in0 Core0 ... in6 -5.0) when no label claimed it.
// Labels of other rails ("3VSB", "AVCC") leave their input out. The first chip that claims a
// position keeps it.
THwmonLayout ScanHwmon(const TSystemTree& tree);

// The position a voltage label names, or nullopt; Core labels give 0 (the caller moves a second
// one to 1).
std::optional<size_t> VoltagePositionOfLabel(std::string_view label);

} // namespace orv
