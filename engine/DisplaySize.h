// The largest display the engine drives. A job screen has one line per row of the largest
// display.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orv {

constexpr int32_t kMaxRows = 8;
constexpr int32_t kMaxCols = 255;

// One text per line of a screen, line 1 first.
using TScreenRows = std::array<std::string, kMaxRows>;

} // namespace orv
