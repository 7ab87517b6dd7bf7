// What systemd learns from a service of Type=notify: ready, reloading, stopping, and the
// watchdog's sign of life, as datagrams on the socket named by NOTIFY_SOCKET (a path, or
// "@name" in the abstract namespace). Outside systemd (no NOTIFY_SOCKET) every call does nothing.
// The protocol is a few lines, so the daemon does not map libsystemd for it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace orv {

class TServiceNotifier {
public:
    // Reads the watchdog interval that systemd set (WATCHDOG_USEC, for this process when
    // WATCHDOG_PID names it or is not set) and connects to the notification socket.
    TServiceNotifier();
    ~TServiceNotifier();
    TServiceNotifier(const TServiceNotifier&) = delete;
    TServiceNotifier& operator=(const TServiceNotifier&) = delete;

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

    int socket_ = -1;
    std::string address_; // sun_path's bytes: a leading NUL for the abstract namespace
    std::chrono::microseconds watchdog_{0};
    std::chrono::steady_clock::time_point lastPing_{};
};

} // namespace orv
