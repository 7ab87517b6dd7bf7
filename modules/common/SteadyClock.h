// Milliseconds of a clock that never jumps, with a test hook that pins them. Modules use it to
// decide when their copy of a system file is old. A module that does keeps one TSteadyClock and
// exports kSetSteadyClockExport beside getPlugin; the host never looks that export up.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace orv {

// Null returns to the system's clock.
using TSetSteadyClockFunc = void (*)(const uint64_t* nowMs);
inline constexpr const char* kSetSteadyClockExport = "SetSteadyClockForTesting";

class TSteadyClock {
public:
    // The pinned time, else CLOCK_MONOTONIC.
    uint64_t NowMs() const {
        if (pinnedMs_) return *pinnedMs_;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<uint64_t>(now.tv_sec) * 1000 +
               static_cast<uint64_t>(now.tv_nsec) / 1000000;
    }
    void Pin(const uint64_t* nowMs) {
        pinnedMs_ = nowMs ? std::optional(*nowMs) : std::nullopt;
    }

private:
    std::optional<uint64_t> pinnedMs_;
};

} // namespace orv
