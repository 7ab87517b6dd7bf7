#include "modules/common/BackgroundTasks.h"

namespace orv {

TBackgroundTasks::~TBackgroundTasks() { StopAll(); }

void TBackgroundTasks::Start(std::function<void(std::stop_token)> work) {
    std::unique_lock lock(mutex_);
    JoinFinished(lock);
    TTask& task = tasks_.emplace_back();
    ++running_;
    task.thread = std::jthread([this, &task, work = std::move(work)](std::stop_token stop) {
        try {
            work(stop);
        } catch (...) {
            // A task never lets an error reach the host.
        }
        std::lock_guard done(mutex_);
        task.done = true;
        --running_;
        idle_.notify_all();
    });
}

int TBackgroundTasks::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

bool TBackgroundTasks::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return running_ == 0; });
}

void TBackgroundTasks::StopAll() {
    std::list<TTask> tasks;
    {
        std::lock_guard lock(mutex_);
        for (TTask& task : tasks_) task.thread.request_stop();
        tasks.splice(tasks.end(), tasks_);
    }
    // Joined outside the lock: a finishing task takes it to mark itself done.
    for (TTask& task : tasks)
        if (task.thread.joinable()) task.thread.join();
}

void TBackgroundTasks::JoinFinished(std::unique_lock<std::mutex>& lock) {
    std::list<TTask> finished;
    for (auto it = tasks_.begin(); it != tasks_.end();) {
        auto next = std::next(it);
        if (it->done) finished.splice(finished.end(), tasks_, it);
        it = next;
    }
    lock.unlock();
    for (TTask& task : finished)
        if (task.thread.joinable()) task.thread.join();
    lock.lock();
}

} // namespace orv
