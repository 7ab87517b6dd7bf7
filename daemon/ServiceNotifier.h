// What systemd learns from a service of Type=notify: ready, reloading, stopping, and the
// watchdog's sign of life. Outside systemd (no NOTIFY_SOCKET) every call does nothing.
#pragma once

#include <chrono>
#include <string_view>

namespace orv {

class TServiceNotifier {
public:
    TServiceNotifier(); // reads the watchdog interval that systemd set (WATCHDOG_USEC)

    void Ready();
    void Reloading();
    void Stopping();

    // The watchdog interval; zero when there is no watchdog.
    std::chrono::microseconds WatchdogInterval() const { return watchdog_; }
    // From one thread (the display thread): pings the watchdog when half its interval has
    // passed since the last ping; costs a clock reading otherwise.
    void Beat();

private:
    void Notify(std::string_view state);

    std::chrono::microseconds watchdog_{0};
    std::chrono::steady_clock::time_point lastPing_{};
};

} // namespace orv
