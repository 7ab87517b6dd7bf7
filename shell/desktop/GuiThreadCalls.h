// Calls from other threads (the web interface's server) that must run on the program's main
// thread, where the core's job and settings change: the caller waits for the result. Once Stop
// is called, calls not yet begun are dropped and answered with an error at once, so that the
// main thread can wait for those threads without a deadlock.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <string>

namespace orv {

class TGuiThreadCalls {
public:
    explicit TGuiThreadCalls(QObject* mainThreadObject) : target_(mainThreadObject) {}

    // call's result, run on the main thread (at once when called there); after Stop, or when
    // Stop comes before the main thread took the call, "the program is closing".
    std::string Run(const std::function<std::string()>& call);
    // From the main thread, before it waits for the calling threads.
    void Stop() { stopped_ = true; }

private:
    QObject* target_;
    std::atomic<bool> stopped_{false};
};

} // namespace orv
