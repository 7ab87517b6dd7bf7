// A millisecond clock that a test can pin. A module that measures intervals keeps one and
// exports kSetTickExport beside getPlugin; the host never looks it up. A test calls it with a
// fixed count, and with null to return to the system clock.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace orv {

using TSetTickFunc = void (*)(const uint64_t* ms);
inline constexpr const char* kSetTickExport = "SetTickForTesting";

class TTickClock {
public:
    // CLOCK_MONOTONIC for intervals, CLOCK_REALTIME to compare with file times.
    explicit TTickClock(clockid_t clock) : clock_(clock) {}

    uint64_t NowMs() const {
        if (pinned_) return *pinned_;
        timespec now{};
        if (::clock_gettime(clock_, &now) != 0) return 0;
        return static_cast<uint64_t>(now.tv_sec) * 1000 +
               static_cast<uint64_t>(now.tv_nsec) / 1000000;
    }
    void Pin(const uint64_t* ms) { pinned_ = ms ? std::optional(*ms) : std::nullopt; }

private:
    clockid_t clock_;
    std::optional<uint64_t> pinned_;
};

} // namespace orv
