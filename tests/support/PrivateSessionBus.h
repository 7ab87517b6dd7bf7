// A private session bus (dbus-daemon) for one test, and a test org.freedesktop.ScreenSaver
// service on it whose GetActive answers what the test sets.
#pragma once

#include "tests/support/TempDir.h"

#include <atomic>
#include <string>
#include <thread>
#include <sys/types.h>

namespace orv::test {

class TPrivateSessionBus {
public:
    TPrivateSessionBus();
    ~TPrivateSessionBus();
    // False when dbus-daemon is missing or did not come up.
    bool Running() const { return pid_ > 0 && ready_; }
    // "unix:path=..." for DBUS_SESSION_BUS_ADDRESS.
    const std::string& Address() const { return address_; }

private:
    TempDir dir_;
    std::string address_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// Serves GetActive at /org/freedesktop/ScreenSaver on the bus at address, from a thread.
class TTestScreenSaverService {
public:
    explicit TTestScreenSaverService(const std::string& address);
    ~TTestScreenSaverService();
    bool Ready() const { return ready_; }
    void SetActive(bool active) { active_ = active; }
    int Calls() const { return calls_; }

private:
    void Run(std::string address);
    std::atomic<bool> active_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::atomic<bool> failed_{false};
    std::atomic<int> calls_{0};
    std::thread thread_;
};

} // namespace orv::test
