// The local date and time a data module shows, with a test hook that pins it. A module that
// shows the time keeps one TWallClock and exports kSetWallClockExport beside getPlugin; the host
// never looks that export up. A test calls it with a fixed time, and with null to return to the
// system clock.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace orv {

struct TWallTime {
    int32_t Year;   // 2026
    int32_t Month;  // 1..12
    int32_t Day;    // 1..31
    int32_t Hour;   // 0..23
    int32_t Minute; // 0..59
    int32_t Second; // 0..59
};

using TSetWallClockFunc = void (*)(const TWallTime* time);
inline constexpr const char* kSetWallClockExport = "SetWallClockForTesting";

class TWallClock {
public:
    // The pinned time, else time() broken down by localtime_r (the zone of TZ or /etc/localtime);
    // seconds, when given, gets that time() (or -1 for the pinned time).
    TWallTime Now(std::time_t* seconds = nullptr) const {
        if (seconds) *seconds = -1;
        if (pinned_) return *pinned_;
        const std::time_t now = std::time(nullptr);
        if (seconds) *seconds = now;
        std::tm parts{};
        ::localtime_r(&now, &parts);
        return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    }
    // null returns to the system clock.
    void Pin(const TWallTime* time) { pinned_ = time ? std::optional(*time) : std::nullopt; }

private:
    std::optional<TWallTime> pinned_;
};

} // namespace orv
