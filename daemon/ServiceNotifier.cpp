#include "daemon/ServiceNotifier.h"

#include <string>
#include <systemd/sd-daemon.h>

namespace orv {

TServiceNotifier::TServiceNotifier() {
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0)
        watchdog_ = std::chrono::microseconds(usec);
}

void TServiceNotifier::Notify(std::string_view state) {
    sd_notify(0, std::string(state).c_str());
}

void TServiceNotifier::Ready() { Notify("READY=1\nSTATUS=Showing the job"); }

void TServiceNotifier::Reloading() { Notify("RELOADING=1\nSTATUS=Reading the settings and the job"); }

void TServiceNotifier::Stopping() { Notify("STOPPING=1"); }

void TServiceNotifier::Beat() {
    if (watchdog_.count() == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPing_ < watchdog_ / 2) return;
    lastPing_ = now;
    Notify("WATCHDOG=1");
}

} // namespace orv
