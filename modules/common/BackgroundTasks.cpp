#include "modules/common/BackgroundTasks.h"

#include <utility>

namespace orv {

TBackgroundTasks::~TBackgroundTasks() { StopAll(); }

void TBackgroundTasks::Start(std::function<void(std::stop_token)> work) {
    std::unique_lock lock(mutex_);
    JoinFinished(lock);
    Launch(std::move(work));
}

void TBackgroundTasks::Replace(std::function<void(std::stop_token)> work) {
    std::unique_lock lock(mutex_);
    JoinFinished(lock);
    if (running_ == 0) {
        Launch(std::move(work));
        return;
    }
    for (TTask& task : tasks_)
        if (!task.done) task.thread.request_stop();
    pending_ = std::move(work);
}

void TBackgroundTasks::Launch(std::function<void(std::stop_token)> work) {
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
        if (running_ == 0 && pending_) Launch(std::exchange(pending_, nullptr));
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
        pending_ = nullptr;
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
