// TScreenSaverListener: while the system screen saver runs, the panel is handed to the first
// screen-saver module that is on. The listener polls the system state (every 1000 ms by
// default), suspends the display thread and starts the module when the screen saver begins, and
// stops the module, restores the last character set and resumes the display thread when it ends.
#pragma once

#include "host/modulehost/ModuleHost.h"
#include "host/modulehost/ScreenSaverProbe.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace orv {

// The program's side of the listener (the engine and the main window implement it). Every call
// comes from the listener thread.
class TScreenSaverClient {
public:
    virtual ~TScreenSaverClient() = default;
    // Pause / continue the display update thread; nothing when it does not run.
    virtual void SuspendDisplayThread() = 0;
    virtual void ResumeDisplayThread() = 0;
    // The number of the custom character set loaded last.
    virtual int LastCharset() = 0;
    // Uploads character set n again (the charset request n); the listener resumes the
    // display thread only after this returns. A client that runs it on the main thread must not
    // block that thread in Wait() meanwhile: ask with RequestTerminate and let the listener end.
    virtual void RestoreCharset(int n) = 0;
};

struct TScreenSaverListenerOptions {
    std::chrono::milliseconds PollInterval{1000};
    // Creates the probe on the listener thread; default: TSystemScreenSaverProbe.
    std::function<std::unique_ptr<TScreenSaverProbe>()> MakeProbe;
};

class TScreenSaverListener {
public:
    // Takes the current driver and the first screen-saver module that is on from the table now
    // (main thread) and starts polling; without either it ends at once. While the listener runs
    // the table must not change: end it before modules are turned off or reconfigured.
    TScreenSaverListener(const TModuleHost& host, TScreenSaverClient& client,
                         TScreenSaverListenerOptions options = {});
    ~TScreenSaverListener(); // RequestTerminate, Wait

    TScreenSaverListener(const TScreenSaverListener&) = delete;
    TScreenSaverListener& operator=(const TScreenSaverListener&) = delete;

    // Asks the thread to end; it ends within one polling interval. A module that is running is
    // stopped and the display thread resumed.
    void RequestTerminate();
    void Wait();
    bool Ended() const { return ended_; }
    // The module has been started and not yet stopped.
    bool ModuleRunning() const { return running_; }

private:
    void Run();
    bool SleepInterval(); // false when asked to terminate

    TScreenSaverClient& client_;
    TScreenSaverListenerOptions options_;
    TLCDBaseControl* driver_ = nullptr;
    std::optional<TScreenSaverModule> saver_; // the first screen saver that is on
    std::mutex lock_;
    std::condition_variable wake_;
    bool terminate_ = false;
    std::atomic<bool> ended_{false};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace orv
