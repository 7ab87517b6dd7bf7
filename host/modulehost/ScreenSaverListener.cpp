#include "host/modulehost/ScreenSaverListener.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace orv {

TScreenSaverListener::TScreenSaverListener(const TModuleHost& host, TScreenSaverClient& client,
                                           TScreenSaverListenerOptions options)
    : client_(client), options_(std::move(options)) {
    if (!options_.MakeProbe)
        options_.MakeProbe = [] { return std::make_unique<TSystemScreenSaverProbe>(); };
    driver_ = host.CurrentDriver();
    for (const TShortPluginInfo& entry : host.Modules()) {
        if (const TScreenSaverModule* saver = entry.ScreenSaver()) {
            saver_ = *saver;
            break;
        }
    }
    if (!driver_ || !saver_) {
        ended_ = true;
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

TScreenSaverListener::~TScreenSaverListener() {
    RequestTerminate();
    Wait();
}

void TScreenSaverListener::RequestTerminate() {
    std::lock_guard guard(lock_);
    terminate_ = true;
    wake_.notify_all();
}

void TScreenSaverListener::Wait() {
    if (thread_.joinable()) thread_.join();
}

bool TScreenSaverListener::SleepInterval() {
    std::unique_lock guard(lock_);
    return !wake_.wait_for(guard, options_.PollInterval, [this] { return terminate_; });
}

void TScreenSaverListener::Run() {
    ::pthread_setname_np(::pthread_self(), "saver-listener");
    // One step below normal priority.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()),
                  ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())) + 1);
    std::unique_ptr<TScreenSaverProbe> probe = options_.MakeProbe();
    do {
        const bool active = probe->IsScreenSaverActive();
        if (active && !running_) {
            client_.SuspendDisplayThread();
            saver_->Start(driver_);
            running_ = true;
        } else if (!active && running_) {
            saver_->Stop();
            client_.RestoreCharset(client_.LastCharset());
            client_.ResumeDisplayThread();
            running_ = false;
        }
    } while (SleepInterval());
    if (running_) {
        saver_->Stop();
        client_.ResumeDisplayThread();
        running_ = false;
    }
    ended_ = true;
}

} // namespace orv
