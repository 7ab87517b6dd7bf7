// The millisecond tick with which modules tell whether a copy they hold is from this very
// moment: a monotonic clock that system time changes do not move.
#pragma once

#include <chrono>
#include <cstdint>

namespace orv {

inline int64_t MillisecondTick() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace orv
