// The display update thread: cycles through the screens of the job, re-renders every line on
// a fixed tick, lays each line out to the display width, maps the user-defined characters and
// writes the rows to the current driver and to the virtual display.
#pragma once

#include "LCDTag.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

class TLCDBaseControl;

namespace orv {

class TCharsets;
class TEngineClock;
class TJob;
class TRandomSource;
class TTagLanguage;

// The "Common" keys the thread uses.
struct TDisplaySettings {
    int32_t BaseTimeoutMs = 250;
    int32_t LongDelayPeriod = 20;
    bool CalculateTimeForLongStrings = false;
    int32_t SubScreenShowTimeS = 2;
    std::string ScrollDelimiter = "|";
    bool UseScrollDelimiter = false;
    int32_t TransitionSpeedMs = 200;
    bool VirtualScreenShow = false; // "Virtual screen" "Show"
};

// Receives every finished frame: the rows of the display, each exactly Cols characters, with
// user-defined characters already mapped to codes 1..8.
class TFrameSink {
public:
    virtual ~TFrameSink() = default;
    virtual void ShowFrame(const std::vector<std::string>& rows) = 0;
};

// The rows, scroll state and layout of the lines of one screen; used by the thread, the
// preview and the quit message.
class TLineLayout {
public:
    void Reset(int rows);
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

    void SetSettings(const TDisplaySettings& settings); // only while stopped
    void SetGeometry(int32_t rows, int32_t cols);       // only while stopped
    void SetFrameSink(TFrameSink* sink);                // only while stopped; may be null
    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }

    // Starts the cycle at screen 0 with every Shown flag cleared; false (and nothing runs) when
    // the job has no screens or the thread already runs.
    bool Start();
    // Asks the thread to end and waits until the current tick has ended.
    void Stop();
    bool Running() const;

    // Screen-saver listener: pause between ticks, and continue.
    void Suspend();
    void Resume();

    // Navigation request: wparam -1 previous, 1 next, 0 screen lparam; anything else ignored.
    void Navigate(int32_t wparam, int32_t lparam);
    int32_t CurrentScreen() const { return currentScreen_; }

    // The thread body, on the caller's thread, until stop is requested. Tests run it with a
    // clock whose SleepMs only advances time.
    void Run(std::stop_token stop);

    // At exit: stop, Clear, then the two quit lines (and empty rows below) evaluated, laid out,
    // mapped and written once. Does nothing without an active driver; switching the driver off
    // is the caller's.
    void ShowQuitMessage(const std::string& line1, const std::string& line2);

    // The preview of the job editor: one evaluation step of eight editor lines.
    std::vector<std::string> PreviewStep(const std::array<std::string, 8>& lines, bool restart);

private:
    TJob& job_;
    TTagLanguage& language_;
    TCharsets& charsets_;
    std::function<TLCDBaseControl*()> driver_;
    TEngineClock& clock_;
    TRandomSource& random_;
    TFrameSink* sink_ = nullptr;
    TDisplaySettings settings_;
    int32_t rows_ = 2;
    int32_t cols_ = 16;

    std::atomic<int32_t> currentScreen_{0};
    std::atomic<bool> skipRequested_{false};
    std::jthread thread_;

    std::mutex suspendMutex_;
    std::condition_variable_any suspendChanged_;
    bool suspended_ = false;

    TTagList tags_;
    TLineLayout layout_;
    std::array<std::string, 8> lineText_{};
    std::array<std::string, 8> prevLineText_{};
};

} // namespace orv
