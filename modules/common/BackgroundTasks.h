// Work a module runs beside the display thread: downloads and mailbox checks. Every task gets
// a stop token; the module's tasks are stopped and joined when the module's state is destroyed
// (the library being released, or the program ending), so no thread ever runs in a library
// that is gone.
//
// A module keeps one TBackgroundTasks as the last member of its state, so the tasks end before
// the data they write is destroyed, and exports kWaitBackgroundExport for its tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace orv {

class TBackgroundTasks {
public:
    TBackgroundTasks() = default;
    ~TBackgroundTasks();
    TBackgroundTasks(const TBackgroundTasks&) = delete;
    TBackgroundTasks& operator=(const TBackgroundTasks&) = delete;

    // Starts work on a thread of its own; the threads of finished tasks are joined here.
    void Start(std::function<void(std::stop_token)> work);
    // The module's one piece of work from now on: running tasks are asked to stop, and work
    // starts once they have ended (at once when none runs). Work replaced again before it
    // started never runs. The caller never waits: a reload does not stall the display, and
    // however often it comes, one task at a time works.
    void Replace(std::function<void(std::stop_token)> work);

    // Tasks started and not yet finished.
    int Running() const;

    // Waits until no task runs; false when timeout passed first.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

    // Asks every task to stop and joins them.
    void StopAll();

private:
    struct TTask {
        std::jthread thread;
        bool done = false;
    };
    void JoinFinished(std::unique_lock<std::mutex>& lock);
    void Launch(std::function<void(std::stop_token)> work); // under mutex_

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    std::list<TTask> tasks_;
    int running_ = 0;
    std::function<void(std::stop_token)> pending_; // Replace's work while others end
};

// Test hook of the internet modules: waits up to timeoutMs for the module's background work to
// end; 1 when it ended, 0 when the time ran out.
using TWaitBackgroundFunc = int32_t (*)(int32_t timeoutMs);
inline constexpr const char* kWaitBackgroundExport = "WaitBackgroundForTesting";

} // namespace orv
