#include "shell/desktop/GuiThreadCalls.h"

#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace orv {

namespace {

constexpr char kClosing[] = "the program is closing";

// One call's hand-over between the caller and the main thread.
struct TPendingCall {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Begun = false;
    bool Finished = false;
    bool Dropped = false; // the caller gave up before the main thread began it
    std::string Result;
};

} // namespace

std::string TGuiThreadCalls::Run(const std::function<std::string()>& call) {
    if (stopped_) return kClosing;
    if (QThread::currentThread() == target_->thread()) return call();
    auto pending = std::make_shared<TPendingCall>();
    // The call may refer to the caller's stack: it runs only while the caller still waits.
    QMetaObject::invokeMethod(
        target_,
        [pending, &call] {
            {
                std::lock_guard lock(pending->Mutex);
                if (pending->Dropped) return;
                pending->Begun = true;
            }
            std::string result = call();
            std::lock_guard lock(pending->Mutex);
            pending->Result = std::move(result);
            pending->Finished = true;
            pending->Done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->Mutex);
    while (!pending->Finished) {
        // Polled for Stop: the main thread may be about to wait for this thread.
        pending->Done.wait_for(lock, std::chrono::milliseconds(50));
        if (stopped_ && !pending->Begun) {
            pending->Dropped = true;
            return kClosing;
        }
    }
    return std::move(pending->Result);
}

} // namespace orv
