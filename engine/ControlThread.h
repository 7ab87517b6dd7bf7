// The display update thread: cycles through the screens of the job, re-renders every line on
// a fixed tick, lays each line out to the display width, maps the user-defined characters and
// writes the rows to the current driver and to the virtual display.
#pragma once

#include "engine/DisplaySettings.h"
#include "engine/EngineClock.h"
#include "engine/ScreenCycle.h"
#include "engine/Transitions.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace orv {

class TJob;

// Receives every finished frame: the rows of the display, each exactly Cols characters, with
// user-defined characters already mapped to codes 1..8. Called on the display thread (and, for
// the quit message, on the caller's).
class TFrameSink {
public:
    virtual ~TFrameSink() = default;
    virtual void ShowFrame(const std::vector<std::string>& rows) = 0;
};

class TControlThread {
public:
    // driver: the current driver, asked again on every tick (it may change between runs).
    TControlThread(TJob& job, TTagLanguage& language, TCharsets& charsets,
                   std::function<TLCDBaseControl*()> driver, TEngineClock& clock,
                   TRandomSource& random);
    ~TControlThread(); // stops the thread

    // The three setters take effect only while the thread is stopped; while it runs they are
    // ignored.
    void SetSettings(const TDisplaySettings& settings);
    // rows kept within 1..kMaxRows, cols within 1..kMaxCols
    void SetGeometry(int32_t rows, int32_t cols);
    void SetFrameSink(TFrameSink* sink); // may be null
    // Called on the display thread after every tick and after an idle wait, and every period
    // while the thread is suspended: a sign of life for a service watchdog, which costs no
    // wake-up of its own while the cycle runs. Empty: none.
    void SetHeartbeat(std::function<void()> beat, std::chrono::milliseconds period);
    // Called on the display thread before and after the rows of each tick are written to an
    // active driver, so that the driver can send them to the panel as one update. Empty: none.
    void SetFrameMarks(std::function<void()> begin, std::function<void()> end);
    // Sleep through the ticks that can change nothing (the default), or wake on every tick.
    // Either way the same frames reach the panel at the same ticks; every tick also hands
    // each frame to the sink and beats the heartbeat.
    void SetSkipQuietTicks(bool skip);
    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }

    // Starts the cycle at screen 0 with every Shown flag cleared; false (and nothing runs) when
    // the job has no screens or the thread already runs. suspended: the first tick waits for
    // Resume (a screen saver holds the panel).
    bool Start(bool suspended = false);
    // Asks the thread to end and waits until the current tick has ended.
    void Stop();
    bool Running() const;

    // Screen-saver listener: pause between ticks, and continue. Suspend returns once the thread
    // has stopped between two ticks (at once when it does not run), so the panel is free then.
    void Suspend();
    void Resume();

    // Navigation, from any thread: the current screen ends at once and the cycle goes on with
    // the screen before it, the one after it, or screen index (0-based; false and ignored
    // outside the job). Of two requests the thread has not yet taken, the later one wins.
    void Previous();
    void Next();
    bool GoTo(int32_t index);
    // While stopped: change replaces the job's screens, with navigation from other threads held
    // off meanwhile.
    void ChangeJob(const std::function<void()>& change);
    int32_t CurrentScreen() const { return currentScreen_; }
    // The job's screen count, for other threads: a job change cannot be half done meanwhile.
    int32_t ScreenCount();

    // The thread body, on the caller's thread, until stop is requested. Tests run it with a
    // clock whose SleepMs only advances time.
    void Run(std::stop_token stop);

    // At exit: stop, Clear, then the two quit lines (and empty rows below) evaluated, laid out,
    // mapped and written once; the frame sink gets the same rows. Does nothing without an
    // active driver; whether a quit message is set, and switching the driver off, are the
    // caller's.
    void ShowQuitMessage(const std::string& line1, const std::string& line2);
    // How ShowLines reads its lines: as job lines, or as text shown as it stands (a file name
    // with "$" or "[" in it), or as job lines that leave out the tags of modules that are off
    // (the greeting, whose tags may need a module the user has not switched on).
    enum class TLineText { Tags, Plain, TagsOfActiveModules };
    // While stopped: lines expanded like job lines (line 1 first), or taken as they stand,
    // laid out, mapped and shown once on the active driver (after Clear when asked) and in the
    // frame sink; rows beyond the lines are blank. The greeting at start-up and the quit message
    // use it.
    void ShowLines(const std::vector<std::string>& lines, bool clearFirst,
                   TLineText kind = TLineText::Tags);

    // The preview of the job editor: one evaluation step of eight editor lines (restart: parse
    // them afresh). Returns the mapped rows; writes them to an active driver. Empty while the
    // thread runs. The screen form also takes the lines' alignments and scroll modes.
    std::vector<std::string> PreviewStep(const TScreenRows& lines, bool restart);
    std::vector<std::string> PreviewScreenStep(const TJobScreen& screen, bool restart);

private:
    TLCDBaseControl* CurrentDriver();
    std::string Separator() const;
    int64_t TickMs() const;
    bool RunScreen(std::stop_token stop);
    const std::vector<std::string>& TickMarked(TLCDBaseControl* driver, const TLineEdit& edit);
    int32_t QuietTickLimit() const;
    void LeaveScreen(bool failed = false);
    void SkipTo(int32_t screen);
    bool PauseIfSuspended(std::stop_token stop);
    void Wait(int64_t ms, std::stop_token stop);

    TJob& job_;
    TTagLanguage& language_;
    TCharsets& charsets_;
    std::function<TLCDBaseControl*()> driver_;
    TEngineClock& clock_;
    TTransitionPlayer transitions_;
    TFrameSink* sink_ = nullptr;
    std::function<void()> beginFrame_;
    std::function<void()> endFrame_;
    std::function<void()> heartbeat_;
    std::chrono::milliseconds heartbeatPeriod_{0};
    TDisplaySettings settings_;
    int32_t rows_ = 2;
    int32_t cols_ = 16;

    std::atomic<int32_t> currentScreen_{0};
    std::atomic<bool> skipRequested_{false};
    std::mutex navigationMutex_;
    int32_t screenOnShow_ = 0; // under navigationMutex_: what navigation counts from
    bool skipQuietTicks_ = true;

    std::mutex suspendMutex_;
    std::condition_variable_any suspendChanged_;
    bool suspended_ = false;
    bool paused_ = false;
    const TWakeUp wake_; // a wait between ticks ends on a suspend or a navigation request
    std::atomic<bool> running_{false};
    std::thread::id runner_; // the thread in Run

    // Touched only by the thread (or while it is stopped).
    TScreenCycle cycle_;
    // The panel shows something else (the cycle starts or resumes, a transition played): the
    // next tick writes every row.
    std::atomic<bool> forgetShownRows_{true};
    TScreenRenderer preview_;
    bool previewStarted_ = false;

    std::jthread thread_; // last: ends before the state it uses
};

} // namespace orv
