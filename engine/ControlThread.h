// The display update thread: cycles through the screens of the job, re-renders every line on
// a fixed tick, lays each line out to the display width, maps the user-defined characters and
// writes the rows to the current driver and to the virtual display.
#pragma once

#include "engine/DisplaySettings.h"
#include "engine/LCDTag.h"
#include "engine/Transitions.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

class TLCDBaseControl;

namespace orv {

class TCharsets;
class TEngineClock;
class TJob;
class TRandomSource;
class TTagLanguage;
struct TJobScreen;

// Receives every finished frame: the rows of the display, each exactly Cols characters, with
// user-defined characters already mapped to codes 1..8. Called on the display thread (and, for
// the quit message, on the caller's).
class TFrameSink {
public:
    virtual ~TFrameSink() = default;
    virtual void ShowFrame(const std::vector<std::string>& rows) = 0;
};

// The rows, scroll state and layout of the lines of one screen; used by the thread, the
// preview and the quit message.
class TLineLayout {
public:
    // Every line starts over: scroll position scrollPos (the thread enters a screen with 0, the
    // preview starts with 1), moving forward.
    void Reset(int rows, int32_t scrollPos = 0);
    // Line line (1-based) of text laid out to width cols: aligned when it fits, else the next
    // scroll window of its mode (the scroll state advances). Always exactly cols characters.
    std::string Layout(int line, const std::string& text, int cols, uint8_t align, uint8_t scroll,
                       const std::string& separator);

private:
    std::array<int32_t, 8> scrollPos_{};
    std::array<bool, 8> scrollBack_{};
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
    void SetGeometry(int32_t rows, int32_t cols); // rows kept within 1..8, cols within 1..255
    void SetFrameSink(TFrameSink* sink);          // may be null
    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }

    // Starts the cycle at screen 0 with every Shown flag cleared; false (and nothing runs) when
    // the job has no screens or the thread already runs.
    bool Start();
    // Asks the thread to end and waits until the current tick has ended.
    void Stop();
    bool Running() const;

    // Screen-saver listener: pause between ticks, and continue. Suspend returns once the thread
    // has stopped between two ticks (at once when it does not run), so the panel is free then.
    void Suspend();
    void Resume();

    // Navigation request: wparam -1 previous, 1 next, 0 screen lparam; anything else ignored.
    void Navigate(int32_t wparam, int32_t lparam);
    int32_t CurrentScreen() const { return currentScreen_; }

    // The thread body, on the caller's thread, until stop is requested. Tests run it with a
    // clock whose SleepMs only advances time.
    void Run(std::stop_token stop);

    // At exit: stop, Clear, then the two quit lines (and empty rows below) evaluated, laid out,
    // mapped and written once; the frame sink gets the same rows. Does nothing without an
    // active driver; whether a quit message is set, and switching the driver off, are the
    // caller's.
    void ShowQuitMessage(const std::string& line1, const std::string& line2);
    // While stopped: lines expanded like job lines (line 1 first), laid out, mapped and shown
    // once on the active driver (after Clear when asked) and in the frame sink; rows beyond the
    // lines are blank. The greeting at start-up and the quit message use it.
    void ShowLines(const std::vector<std::string>& lines, bool clearFirst);

    // The preview of the job editor: one evaluation step of eight editor lines (restart: parse
    // them afresh). Returns the mapped rows; writes them to an active driver. Empty while the
    // thread runs. The screen form also takes the lines' alignments and scroll modes.
    std::vector<std::string> PreviewStep(const std::array<std::string, 8>& lines, bool restart);
    std::vector<std::string> PreviewScreenStep(const TJobScreen& screen, bool restart);

private:
    TLCDBaseControl* CurrentDriver();
    std::string Separator() const;
    int64_t TickMs() const;
    bool RunScreen(std::stop_token stop);
    void EnterScreen(const TJobScreen& screen);
    void LeaveScreen(bool navigated);
    void ComposeRow(int32_t line, TLCDBaseControl* driver, int64_t start, int64_t* deadline);
    const std::string& FirstValue() const;
    bool PauseIfSuspended(std::stop_token stop);
    void Wait(int64_t ms, std::stop_token stop);

    TJob& job_;
    TTagLanguage& language_;
    TCharsets& charsets_;
    std::function<TLCDBaseControl*()> driver_;
    TEngineClock& clock_;
    TTransitionPlayer transitions_;
    const bool interruptibleClock_; // the system clock: waits end early on a stop request
    TFrameSink* sink_ = nullptr;
    TDisplaySettings settings_;
    int32_t rows_ = 2;
    int32_t cols_ = 16;

    std::atomic<int32_t> currentScreen_{0};
    std::atomic<bool> skipRequested_{false};
    std::mutex navigationMutex_;

    std::mutex suspendMutex_;
    std::condition_variable_any suspendChanged_;
    bool suspended_ = false;
    bool paused_ = false;
    std::atomic<bool> running_{false};
    std::thread::id runner_; // the thread in Run

    // State of the cycle, touched only by the thread (or by the preview and the quit message
    // while it is stopped).
    TTagList tags_;
    TLineLayout layout_;
    TScreenRows lineText_{};
    TScreenRows prevLineText_{};
    std::array<uint8_t, 8> lineAlign_{};
    std::array<uint8_t, 8> lineScroll_{};
    std::vector<std::string> frame_;
    // What the thread last wrote to each panel row: a row that has not changed is not sent
    // again. Forgotten when the cycle starts, resumes or plays a transition.
    TLCDBaseControl* shownDriver_ = nullptr;
    TScreenRows shownRows_{};
    std::atomic<bool> forgetShownRows_{true};
    std::string separator_ = " ";
    int32_t screenIndex_ = 0;
    bool transitionDone_ = false;
    bool enumerated_ = false;
    uint8_t enumCount_ = 0;
    uint8_t enumIndex_ = 0;
    int32_t enumMarkLen_ = 0;
    bool previewStarted_ = false;

    std::jthread thread_; // last: ends before the state it uses
};

} // namespace orv
