#include "engine/ControlThread.h"

#include "engine/Charsets.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"

#include <algorithm>
#include <pthread.h>

namespace orv {

TControlThread::TControlThread(TJob& job, TTagLanguage& language, TCharsets& charsets,
                               std::function<TLCDBaseControl*()> driver, TEngineClock& clock,
                               TRandomSource& random)
    : job_(job), language_(language), charsets_(charsets), driver_(std::move(driver)),
      clock_(clock),
      transitions_(clock, random), wake_{suspendMutex_, suspendChanged_,
                                         [this] { return suspended_ || skipRequested_; }},
      cycle_(language, charsets), preview_(language, charsets) {
    language_.SetClock(&clock_);
    SetGeometry(rows_, cols_);
}

TControlThread::~TControlThread() { Stop(); }

void TControlThread::SetSettings(const TDisplaySettings& settings) {
    if (!Running()) settings_ = settings;
}

void TControlThread::SetGeometry(int32_t rows, int32_t cols) {
    if (Running()) return;
    rows_ = std::clamp(rows, 1, kMaxRows);
    cols_ = std::clamp(cols, 1, kMaxCols);
    cycle_.SetGeometry(rows_, cols_);
    preview_.SetGeometry(rows_, cols_);
}

void TControlThread::SetFrameSink(TFrameSink* sink) {
    if (!Running()) sink_ = sink;
}

void TControlThread::SetFrameMarks(std::function<void()> begin, std::function<void()> end) {
    if (Running()) return;
    beginFrame_ = std::move(begin);
    endFrame_ = std::move(end);
}

void TControlThread::SetHeartbeat(std::function<void()> beat, std::chrono::milliseconds period) {
    if (Running()) return;
    heartbeat_ = std::move(beat);
    heartbeatPeriod_ = std::max(period, std::chrono::milliseconds(1));
}

bool TControlThread::Start(bool suspended) {
    if (Running() || job_.Count() == 0) return false;
    if (thread_.joinable()) thread_.join(); // a run that was stopped from inside a tick
    {
        std::lock_guard lock(suspendMutex_);
        suspended_ = suspended;
        running_ = true;
    }
    forgetShownRows_ = true;
    thread_ = std::jthread([this](std::stop_token stop) {
        ::pthread_setname_np(::pthread_self(), "display"); // for top -H and /proc/PID/task
        Run(stop);
    });
    return true;
}

void TControlThread::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    if (thread_.get_id() == std::this_thread::get_id()) return; // from inside a tick
    thread_.join();
}

bool TControlThread::Running() const { return running_; }

void TControlThread::Suspend() {
    std::unique_lock lock(suspendMutex_);
    suspended_ = true;
    suspendChanged_.notify_all();
    if (running_ && runner_ == std::this_thread::get_id()) return; // from inside a tick
    suspendChanged_.wait(lock, [this] { return paused_ || !running_; });
}

void TControlThread::Resume() {
    std::lock_guard lock(suspendMutex_);
    forgetShownRows_ = true; // the screen saver has drawn on the panel meanwhile
    suspended_ = false;
    suspendChanged_.notify_all();
}

void TControlThread::SetSkipQuietTicks(bool skip) {
    if (!Running()) skipQuietTicks_ = skip;
}

// The thread adds one to the current screen when it leaves it: previous goes back two, next
// leaves it as it is, and screen index is reached from the one before it. Each request counts
// from the screen on show, so that of two requests before the thread takes them the later one
// wins.
void TControlThread::Previous() {
    std::lock_guard lock(navigationMutex_);
    const int32_t count = job_.Count();
    int32_t screen = screenOnShow_ - 2;
    if (screen < 0) screen += count;
    SkipTo(screen);
}

void TControlThread::Next() {
    std::lock_guard lock(navigationMutex_);
    SkipTo(screenOnShow_);
}

bool TControlThread::GoTo(int32_t index) {
    std::lock_guard lock(navigationMutex_);
    const int32_t count = job_.Count();
    if (index < 0 || index >= count) return false;
    SkipTo(index == 0 ? count - 1 : index - 1);
    return true;
}

int32_t TControlThread::ScreenCount() {
    std::lock_guard lock(navigationMutex_);
    return job_.Count();
}

void TControlThread::ChangeJob(const std::function<void()>& change) {
    if (Running()) return;
    std::lock_guard lock(navigationMutex_);
    change();
}

// Under navigationMutex_. The request ends the wait between two ticks.
void TControlThread::SkipTo(int32_t screen) {
    currentScreen_ = screen;
    {
        std::lock_guard lock(suspendMutex_);
        skipRequested_ = true;
    }
    suspendChanged_.notify_all();
}

void TControlThread::Run(std::stop_token stop) {
    {
        std::lock_guard lock(suspendMutex_);
        running_ = true;
        paused_ = false;
        runner_ = std::this_thread::get_id();
    }
    language_.SetLongDelayPeriod(settings_.LongDelayPeriod);
    cycle_.Start(Separator());
    {
        std::lock_guard lock(navigationMutex_);
        currentScreen_ = 0;
        screenOnShow_ = 0;
        skipRequested_ = false;
    }
    previewStarted_ = false;
    job_.ClearShown();

    // Screens left one after another without a single tick; a whole pass of them (every screen
    // hidden, skipped or already shown once) waits a tick instead of spinning.
    int32_t idleScreens = 0;
    while (!stop.stop_requested()) {
        if (PauseIfSuspended(stop)) continue;
        bool ticked = false;
        try {
            ticked = RunScreen(stop);
        } catch (...) {
            // Whatever went wrong in a module, the driver or the sink ends this screen, not
            // the cycle.
            LeaveScreen(true);
        }
        if (ticked) {
            idleScreens = 0;
        } else if (++idleScreens >= std::max(job_.Count(), 1)) {
            idleScreens = 0;
            Wait(TickMs(), stop);
            if (heartbeat_) heartbeat_();
        }
    }

    std::lock_guard lock(suspendMutex_);
    running_ = false;
    paused_ = false;
    suspendChanged_.notify_all();
}

TLCDBaseControl* TControlThread::CurrentDriver() {
    TLCDBaseControl* driver = driver_ ? driver_() : nullptr;
    charsets_.SetDriver(driver);
    return driver;
}

std::string TControlThread::Separator() const {
    return settings_.UseScrollDelimiter && !settings_.ScrollDelimiter.empty()
               ? settings_.ScrollDelimiter
               : std::string(" ");
}

int64_t TControlThread::TickMs() const { return std::max(settings_.BaseTimeoutMs, 1); }

// One screen or sub-screen: entry, ticks until it ends, leaving. True when a tick ran.
bool TControlThread::RunScreen(std::stop_token stop) {
    const int32_t count = job_.Count();
    if (count == 0) return false;
    const int32_t index = ((currentScreen_ % count) + count) % count;
    const TJobScreen& screen = *job_.Screen(index);
    CurrentDriver();
    cycle_.Enter(index, screen);

    const int64_t tickMs = TickMs();
    const int64_t start = clock_.NowMs();
    int64_t deadline = 0;
    bool hasDeadline = true;
    if (screen.Timeout != 0)
        deadline = start + 1000 * int64_t{screen.Timeout};
    else if (cycle_.Enumerated())
        deadline = start + 1000 * int64_t{settings_.SubScreenShowTimeS};
    else
        hasDeadline = false;
    // Stretches the deadline so that a long line can scroll through, when that is asked for.
    const bool stretching = settings_.CalculateTimeForLongStrings && hasDeadline;
    const auto stretch = [&](int32_t, const std::string& text) {
        const int64_t over = static_cast<int64_t>(text.size()) - cols_;
        if (tickMs * over > deadline - start) deadline = start + (over + 4) * tickMs;
    };

    bool ticked = false;
    while ((!hasDeadline || clock_.NowMs() < deadline) && !stop.stop_requested()) {
        if (PauseIfSuspended(stop)) continue;
        if (skipRequested_) break; // taken when leaving
        if (!screen.Show) break;
        if (cycle_.FirstValue() == kSkipMark) break;
        if (screen.Once && job_.GetShown(index)) break;

        const int64_t tickStart = clock_.NowMs();
        cycle_.PassSubScreenNumber();
        TLCDBaseControl* driver = CurrentDriver();
        const bool active = driver && driver->GetActive();
        if (cycle_.TakeTransition() && screen.TransitionEffect != teNone && active) {
            transitions_.Play(driver, cycle_.PreviousTexts(), cycle_.Texts(),
                              screen.TransitionEffect, settings_.TransitionSpeedMs);
            forgetShownRows_ = true;
        }
        // The panel shows something else since the last tick: the cycle started or resumed,
        // or a transition played.
        if (forgetShownRows_.exchange(false)) cycle_.ForgetShownRows();
        const auto& frame =
            TickMarked(active ? driver : nullptr, stretching ? TLineEdit(stretch) : TLineEdit());
        if (sink_) sink_->ShowFrame(frame);
        if (heartbeat_) heartbeat_();
        ticked = true;

        // The next tick starts a tick after this one, or at once after a slow one; ticks that
        // can change nothing are slept through, and the screen's deadline ends the sleep.
        const int64_t nextTick = std::max(tickStart + tickMs, clock_.NowMs());
        int32_t quiet = 0;
        // A "#skip" that came with this tick ends the screen at the next one.
        if (skipQuietTicks_ && cycle_.FirstValue() != kSkipMark) {
            quiet = cycle_.QuietTicks(QuietTickLimit(), {nextTick, tickMs});
            if (hasDeadline) {
                const int64_t beforeDeadline =
                    deadline > nextTick ? (deadline - nextTick + tickMs - 1) / tickMs : 0;
                quiet = static_cast<int32_t>(std::min<int64_t>(quiet, beforeDeadline));
            }
        }
        Wait(nextTick + quiet * tickMs - clock_.NowMs(), stop);
        if (quiet > 0) {
            // Woken early (navigation, suspend, stop): only the quiet ticks due by now passed.
            const int64_t now = clock_.NowMs();
            const int64_t passed = now < nextTick ? 0 : (now - nextTick) / tickMs + 1;
            cycle_.PassQuietTicks(static_cast<int32_t>(std::min<int64_t>(passed, quiet)));
        }
    }
    LeaveScreen();
    return ticked;
}

// Quiet ticks slept through at once: the heartbeat keeps its period, and no sleep is longer
// than a minute.
int32_t TControlThread::QuietTickLimit() const {
    const int64_t tickMs = TickMs();
    int64_t limitMs = 60'000;
    if (heartbeat_) limitMs = std::min<int64_t>(limitMs, heartbeatPeriod_.count());
    return static_cast<int32_t>(std::max<int64_t>(limitMs / tickMs - 1, 0));
}

// One tick of the cycle; writes to the driver go between the frame marks, and the end mark
// follows even when a module or the driver fails on the way.
const std::vector<std::string>& TControlThread::TickMarked(TLCDBaseControl* driver,
                                                           const TLineEdit& edit) {
    if (!driver || !beginFrame_ || !endFrame_) return cycle_.Tick(driver, edit);
    beginFrame_();
    try {
        const auto& frame = cycle_.Tick(driver, edit);
        endFrame_();
        return frame;
    } catch (...) {
        endFrame_();
        throw;
    }
}

// A navigation request ends every sub-screen of an enumerated screen: the index it chose is
// the screen to go to, not the next sub-screen. A request that came while the screen ended
// for another reason (its deadline, in the last tick) is taken here, once. failed: a module,
// the driver or the sink failed in the screen, which ends it as a request would.
void TControlThread::LeaveScreen(bool failed) {
    std::lock_guard lock(navigationMutex_);
    const bool navigated = skipRequested_.exchange(false);
    if (!cycle_.Leave(navigated || failed)) return;
    job_.SetShown(cycle_.ScreenIndex(), true);

    const int32_t count = job_.Count();
    const int32_t next = currentScreen_ + 1;
    currentScreen_ = next >= count ? 0 : next;
    screenOnShow_ = currentScreen_.load();
}

// True when the thread was held here (the caller looks at its conditions again).
bool TControlThread::PauseIfSuspended(std::stop_token stop) {
    std::unique_lock lock(suspendMutex_);
    if (!suspended_) return false;
    paused_ = true;
    suspendChanged_.notify_all();
    if (!heartbeat_) {
        suspendChanged_.wait(lock, stop, [this] { return !suspended_; });
    } else {
        while (!suspendChanged_.wait_for(lock, stop, heartbeatPeriod_, [this] {
            return !suspended_;
        }) && !stop.stop_requested()) {
            lock.unlock();
            heartbeat_();
            lock.lock();
        }
    }
    paused_ = false;
    return true;
}

// The rest of a tick: a stop request or a suspend ends it early on a clock of real time.
void TControlThread::Wait(int64_t ms, std::stop_token stop) {
    if (ms > 0) clock_.WaitMs(ms, stop, wake_);
}

void TControlThread::ShowQuitMessage(const std::string& line1, const std::string& line2) {
    TLCDBaseControl* driver = driver_ ? driver_() : nullptr;
    if (!driver || !driver->GetActive()) return;
    Stop();
    ShowLines({line1, line2}, true);
}

void TControlThread::ShowLines(const std::vector<std::string>& lines, bool clearFirst,
                               TLineText kind) {
    if (Running()) return;
    try {
        TLCDBaseControl* driver = CurrentDriver();
        if (driver && !driver->GetActive()) driver = nullptr;
        if (driver && clearFirst) driver->Clear();
        TJobScreen screen;
        const auto count = static_cast<int32_t>(std::min(lines.size(), screen.Line.size()));
        if (kind == TLineText::Tags) std::copy_n(lines.begin(), count, screen.Line.begin());
        if (kind == TLineText::TagsOfActiveModules)
            std::transform(
                lines.begin(), lines.begin() + count, screen.Line.begin(),
                [this](const std::string& line) { return language_.WithoutUnboundTags(line); });
        TScreenRenderer renderer(language_, charsets_);
        renderer.SetGeometry(rows_, cols_);
        renderer.SetSeparator(Separator());
        renderer.Begin(screen, count);
        // Plain lines take the place of the (empty) built ones; control bytes would address
        // the custom characters.
        const auto plain = [&](int32_t line, std::string& text) {
            text = line <= count ? lines[static_cast<size_t>(line - 1)] : std::string();
            for (char& c : text)
                if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        };
        const auto& frame =
            kind == TLineText::Plain ? renderer.Step(driver, plain) : renderer.Step(driver);
        if (sink_) sink_->ShowFrame(frame);
    } catch (...) {
        // Messages of the program's start and end: a failing module must not stop either.
    }
}

std::vector<std::string> TControlThread::PreviewStep(const TScreenRows& lines, bool restart) {
    TJobScreen screen;
    screen.Line = lines;
    return PreviewScreenStep(screen, restart);
}

// A module that fails leaves the rest of the rows of this step blank.
std::vector<std::string> TControlThread::PreviewScreenStep(const TJobScreen& screen, bool restart) {
    if (Running()) return {};
    std::vector<std::string> rows;
    bool stepping = false;
    try {
        TLCDBaseControl* driver = CurrentDriver();
        const bool active = driver && driver->GetActive();
        if (restart || !previewStarted_) {
            language_.SetLongDelayPeriod(settings_.LongDelayPeriod);
            preview_.SetSeparator(Separator());
            previewStarted_ = true;
            preview_.Begin(screen, kMaxRows, 1);
        }
        stepping = true;
        rows = preview_.Step(active ? driver : nullptr, [this](int32_t line, std::string& text) {
            const std::string& first = preview_.FirstValue();
            if (first.starts_with(kEnumMark))
                EraseEnumMark(text, static_cast<int32_t>(first.size()));
            if (line == 1 && first.starts_with(kSkipMark))
                text = "Этот экран будет пропущен!"_cp1251;
        });
    } catch (...) {
        if (stepping) rows = preview_.Frame();
        rows.resize(static_cast<size_t>(rows_));
        for (auto& row : rows) row.resize(static_cast<size_t>(cols_), ' ');
    }
    return rows;
}

} // namespace orv
