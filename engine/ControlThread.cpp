#include "engine/ControlThread.h"

#include "engine/Charsets.h"
#include "engine/EngineClock.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "host/ConstUnit.h"
#include "host/Cp1251.h"
#include "host/TextUtil.h"

#include <algorithm>
#include <chrono>

namespace orv {

namespace {

constexpr int32_t kMaxRows = 8;
constexpr int32_t kMaxCols = 255;
constexpr std::string_view kEnumMark = "#enum";
constexpr std::string_view kSkipMark = "#skip";

// cols characters of text + separator + text from position start (1-based; below 1 counts as
// 1), blanks where the ring ends.
std::string RingWindow(const std::string& text, const std::string& separator, int64_t start,
                       int cols) {
    const auto length = static_cast<int64_t>(text.size());
    const auto sepLength = static_cast<int64_t>(separator.size());
    std::string out(static_cast<size_t>(cols), ' ');
    int64_t k = std::max<int64_t>(start, 1) - 1;
    for (auto& c : out) {
        if (k < length)
            c = text[static_cast<size_t>(k)];
        else if (k < length + sepLength)
            c = separator[static_cast<size_t>(k - length)];
        else if (k < 2 * length + sepLength)
            c = text[static_cast<size_t>(k - length - sepLength)];
        ++k;
    }
    return out;
}

std::string Aligned(const std::string& text, int cols, uint8_t align) {
    const size_t blanks = static_cast<size_t>(cols) - text.size();
    switch (align) {
    case 1: {
        std::string out(blanks / 2, ' ');
        out += text;
        out.resize(static_cast<size_t>(cols), ' ');
        return out;
    }
    case 2: return std::string(blanks, ' ') + text;
    default: {
        std::string out = text;
        out.resize(static_cast<size_t>(cols), ' ');
        return out;
    }
    }
}

// Removes markLength characters at the first "#enum" of line.
void EraseEnumMark(std::string& line, int32_t markLength) {
    const size_t at = line.find(kEnumMark);
    if (at != std::string::npos) line.erase(at, static_cast<size_t>(std::max(markLength, 0)));
}

bool StartsWith(const std::string& s, std::string_view prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void TLineLayout::Reset(int rows, int32_t scrollPos) {
    const auto count = static_cast<size_t>(std::clamp(rows, 0, kMaxRows));
    std::fill_n(scrollPos_.begin(), count, scrollPos);
    std::fill_n(scrollBack_.begin(), count, false);
}

std::string TLineLayout::Layout(int line, const std::string& text, int cols, uint8_t align,
                                uint8_t scroll, const std::string& separator) {
    if (cols <= 0) return {};
    if (text.size() <= static_cast<size_t>(cols)) return Aligned(text, cols, align);
    if (line < 1 || line > kMaxRows) return RingWindow(text, separator, 1, cols);

    const auto length = static_cast<int64_t>(text.size());
    int32_t& pos = scrollPos_[static_cast<size_t>(line - 1)];
    bool& back = scrollBack_[static_cast<size_t>(line - 1)];
    std::string out;
    switch (scroll) {
    case 0: // moves left; wraps after length + 1 positions, whatever the separator's length
        if (pos > length + 1) pos = 1;
        out = RingWindow(text, separator, pos, cols);
        if (++pos > length + 1) pos = 1;
        break;
    case 1: // moves right
        if (pos > length) pos = static_cast<int32_t>(length);
        out = RingWindow(text, separator, pos, cols);
        if (--pos < 1) pos = static_cast<int32_t>(length);
        break;
    case 2: { // back and forth; each end window stays for three ticks
        const auto limit = static_cast<int32_t>(length - cols + 2);
        if (!back) {
            pos = std::min(pos, limit - 1);
            if (++pos < limit) {
                out = RingWindow(text, separator, pos, cols);
            } else {
                back = true;
                out = RingWindow(text, separator, pos - 1, cols);
            }
        } else {
            pos = std::min(pos, limit);
            if (--pos >= 1) {
                out = RingWindow(text, separator, pos, cols);
            } else {
                back = false;
                out = RingWindow(text, separator, pos - 1, cols);
            }
        }
        break;
    }
    default: // not a scroll mode: the start of the line, standing still
        out = RingWindow(text, separator, 1, cols);
        break;
    }
    return out;
}

TControlThread::TControlThread(TJob& job, TTagLanguage& language, TCharsets& charsets,
                               std::function<TLCDBaseControl*()> driver, TEngineClock& clock,
                               TRandomSource& random)
    : job_(job), language_(language), charsets_(charsets), driver_(std::move(driver)),
      clock_(clock), transitions_(clock, random),
      interruptibleClock_(dynamic_cast<TSystemClock*>(&clock) != nullptr) {}

TControlThread::~TControlThread() { Stop(); }

void TControlThread::SetSettings(const TDisplaySettings& settings) {
    if (!Running()) settings_ = settings;
}

void TControlThread::SetGeometry(int32_t rows, int32_t cols) {
    if (Running()) return;
    rows_ = std::clamp(rows, 1, kMaxRows);
    cols_ = std::clamp(cols, 1, kMaxCols);
}

void TControlThread::SetFrameSink(TFrameSink* sink) {
    if (!Running()) sink_ = sink;
}

bool TControlThread::Start() {
    if (Running() || job_.Count() == 0) return false;
    if (thread_.joinable()) thread_.join(); // a run that was stopped from inside a tick
    {
        std::lock_guard lock(suspendMutex_);
        suspended_ = false;
        running_ = true;
    }
    forgetShownRows_ = true;
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
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

// Previous and next are relative to the index the thread adds one to when it leaves the screen.
void TControlThread::Navigate(int32_t wparam, int32_t lparam) {
    const int32_t count = job_.Count();
    std::lock_guard lock(navigationMutex_);
    int32_t screen = currentScreen_;
    switch (wparam) {
    case -1:
        screen -= 2;
        if (screen < 0) screen += count;
        break;
    case 1: break;
    case 0:
        if (lparam < 0 || lparam >= count) return;
        screen = lparam == 0 ? count - 1 : lparam - 1;
        break;
    default: return;
    }
    currentScreen_ = screen;
    skipRequested_ = true;
}

void TControlThread::Run(std::stop_token stop) {
    {
        std::lock_guard lock(suspendMutex_);
        running_ = true;
        paused_ = false;
        runner_ = std::this_thread::get_id();
    }
    language_.SetLongDelayPeriod(settings_.LongDelayPeriod);
    separator_ = Separator();
    currentScreen_ = 0;
    skipRequested_ = false;
    enumIndex_ = 0;
    transitionDone_ = false;
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
    screenIndex_ = ((currentScreen_ % count) + count) % count;
    const TJobScreen& screen = *job_.Screen(screenIndex_);
    EnterScreen(screen);

    const int64_t tickMs = TickMs();
    const int64_t start = clock_.NowMs();
    int64_t deadline = 0;
    bool hasDeadline = true;
    if (screen.Timeout != 0)
        deadline = start + 1000 * int64_t{screen.Timeout};
    else if (enumerated_)
        deadline = start + 1000 * int64_t{settings_.SubScreenShowTimeS};
    else
        hasDeadline = false;

    bool ticked = false;
    bool navigated = false;
    while ((!hasDeadline || clock_.NowMs() < deadline) && !stop.stop_requested()) {
        if (PauseIfSuspended(stop)) continue;
        if (skipRequested_.exchange(false)) {
            navigated = true;
            break;
        }
        if (!screen.Show) break;
        if (FirstValue() == kSkipMark) break;
        if (screen.Once && job_.GetShown(screenIndex_)) break;

        const int64_t tickStart = clock_.NowMs();
        if (enumerated_ && enumCount_ != 0) {
            const std::string argument = std::to_string(enumIndex_);
            for (auto& tag : tags_) tag.Argument = argument;
        }
        TLCDBaseControl* driver = CurrentDriver();
        const bool active = driver && driver->GetActive();
        if (!transitionDone_) {
            if (screen.TransitionEffect != teNone && active) {
                transitions_.Play(driver, prevLineText_, lineText_, screen.TransitionEffect,
                                  settings_.TransitionSpeedMs);
                forgetShownRows_ = true;
            }
            transitionDone_ = true;
        }
        // A panel switched off and on again, or another one, shows nothing of ours.
        TLCDBaseControl* target = active ? driver : nullptr;
        if (forgetShownRows_.exchange(false) || target != shownDriver_) {
            shownRows_ = {};
            shownDriver_ = target;
        }
        frame_.resize(static_cast<size_t>(rows_));
        for (int32_t line = 1; line <= rows_; ++line)
            ComposeRow(line, active ? driver : nullptr, start, hasDeadline ? &deadline : nullptr);
        if (sink_) sink_->ShowFrame(frame_);
        ticked = true;

        Wait(tickMs - (clock_.NowMs() - tickStart), stop);
    }
    LeaveScreen(navigated);
    return ticked;
}

void TControlThread::EnterScreen(const TJobScreen& screen) {
    CurrentDriver();
    layout_.Reset(rows_);
    tags_.clear();
    for (int32_t line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        if (line > rows_) {
            lineText_[i].clear();
            continue;
        }
        language_.SplitLine(screen.Line[i], line, tags_);
        lineAlign_[i] = screen.Align[i];
        lineScroll_[i] = screen.Scroll[i];
        lineText_[i] = language_.BuildLine(tags_, line, cols_);
    }

    const std::string& first = FirstValue();
    enumerated_ = StartsWith(first, kEnumMark);
    enumCount_ = 0;
    enumMarkLen_ = 0;
    if (enumerated_) {
        const auto count = ParseInt32(std::string_view(first).substr(kEnumMark.size()));
        enumCount_ = static_cast<uint8_t>(count.value_or(0) & 0xFF);
        enumMarkLen_ = static_cast<int32_t>(first.size());
    }
}

// A navigation request ends every sub-screen of an enumerated screen: the index it chose is
// the screen to go to, not the next sub-screen.
void TControlThread::LeaveScreen(bool navigated) {
    if (!navigated && enumerated_ && enumCount_ != 0 && enumIndex_ < enumCount_ - 1) {
        ++enumIndex_;
        return;
    }
    enumIndex_ = 0;
    for (int32_t line = 1; line <= kMaxRows; ++line) {
        const auto i = static_cast<size_t>(line - 1);
        prevLineText_[i] = line <= rows_ ? lineText_[i] : std::string();
    }
    transitionDone_ = false;
    job_.SetShown(screenIndex_, true);

    const int32_t count = job_.Count();
    std::lock_guard lock(navigationMutex_);
    const int32_t next = currentScreen_ + 1;
    currentScreen_ = next >= count ? 0 : next;
}

// Builds, lays out and maps line line; writes it to driver (when given) and into the frame.
// Stretches *deadline so that a long line can scroll through, when that is asked for.
void TControlThread::ComposeRow(int32_t line, TLCDBaseControl* driver, int64_t start,
                                int64_t* deadline) {
    const auto i = static_cast<size_t>(line - 1);
    std::string& text = lineText_[i];
    text = language_.BuildLine(tags_, line, cols_);
    if (enumerated_) EraseEnumMark(text, enumMarkLen_);
    if (settings_.CalculateTimeForLongStrings && deadline) {
        const int64_t over = static_cast<int64_t>(text.size()) - cols_;
        if (TickMs() * over > *deadline - start) *deadline = start + (over + 4) * TickMs();
    }
    std::string out = layout_.Layout(line, text, cols_, lineAlign_[i], lineScroll_[i], separator_);
    charsets_.MapRow(out);
    if (driver && out != shownRows_[i]) {
        driver->WriteText(1, static_cast<uint8_t>(line), out.data(), out.size());
        shownRows_[i] = out;
    }
    frame_[i] = std::move(out);
}

const std::string& TControlThread::FirstValue() const {
    static const std::string none;
    return tags_.empty() ? none : tags_.front().Value;
}

// True when the thread was held here (the caller looks at its conditions again).
bool TControlThread::PauseIfSuspended(std::stop_token stop) {
    std::unique_lock lock(suspendMutex_);
    if (!suspended_) return false;
    paused_ = true;
    suspendChanged_.notify_all();
    suspendChanged_.wait(lock, stop, [this] { return !suspended_; });
    paused_ = false;
    return true;
}

// The rest of a tick. The system clock waits on the condition variable, so a stop request or a
// suspend ends the wait at once; an injected clock (tests) is asked to sleep.
void TControlThread::Wait(int64_t ms, std::stop_token stop) {
    if (ms <= 0) return;
    if (!interruptibleClock_) {
        clock_.SleepMs(ms);
        return;
    }
    std::unique_lock lock(suspendMutex_);
    suspendChanged_.wait_for(lock, stop, std::chrono::milliseconds(ms),
                             [this] { return suspended_; });
}

void TControlThread::ShowQuitMessage(const std::string& line1, const std::string& line2) {
    TLCDBaseControl* driver = driver_ ? driver_() : nullptr;
    if (!driver || !driver->GetActive()) return;
    Stop();
    ShowLines({line1, line2}, true);
}

void TControlThread::ShowLines(const std::vector<std::string>& lines, bool clearFirst) {
    if (Running()) return;
    try {
        TLCDBaseControl* driver = CurrentDriver();
        if (driver && !driver->GetActive()) driver = nullptr;
        if (driver && clearFirst) driver->Clear();
        tags_.clear();
        for (size_t i = 0; i < lines.size() && i < static_cast<size_t>(kMaxRows); ++i)
            language_.SplitLine(lines[i], static_cast<int32_t>(i + 1), tags_);
        TLineLayout layout;
        layout.Reset(rows_);
        const std::string separator = Separator();
        frame_.assign(static_cast<size_t>(rows_), std::string());
        for (int32_t line = 1; line <= rows_; ++line) {
            std::string out = layout.Layout(line, language_.BuildLine(tags_, line, cols_), cols_,
                                            0, 0, separator);
            charsets_.MapRow(out);
            if (driver) driver->WriteText(1, static_cast<uint8_t>(line), out.data(), out.size());
            frame_[static_cast<size_t>(line - 1)] = std::move(out);
        }
        if (sink_) sink_->ShowFrame(frame_);
    } catch (...) {
        // Messages of the program's start and end: a failing module must not stop either.
    }
}

std::vector<std::string> TControlThread::PreviewStep(const std::array<std::string, 8>& lines,
                                                     bool restart) {
    TJobScreen screen;
    screen.Line = lines;
    return PreviewScreenStep(screen, restart);
}

// A module that fails leaves blank rows for this step.
std::vector<std::string> TControlThread::PreviewScreenStep(const TJobScreen& screen, bool restart) {
    if (Running()) return {};
    std::vector<std::string> rows;
    try {
        TLCDBaseControl* driver = CurrentDriver();
        const bool active = driver && driver->GetActive();
        if (restart || !previewStarted_) {
            language_.SetLongDelayPeriod(settings_.LongDelayPeriod);
            separator_ = Separator();
            tags_.clear();
            layout_.Reset(rows_, 1);
            previewStarted_ = true;
            for (int32_t line = 1; line <= kMaxRows; ++line) {
                const auto i = static_cast<size_t>(line - 1);
                language_.SplitLine(screen.Line[i], line, tags_);
                lineAlign_[i] = screen.Align[i];
                lineScroll_[i] = screen.Scroll[i];
            }
        }
        for (int32_t line = 1; line <= rows_; ++line) {
            const auto i = static_cast<size_t>(line - 1);
            std::string text = language_.BuildLine(tags_, line, cols_);
            const std::string& first = FirstValue();
            if (StartsWith(first, kEnumMark))
                EraseEnumMark(text, static_cast<int32_t>(first.size()));
            if (line == 1 && StartsWith(first, kSkipMark))
                text = "Этот экран будет пропущен!"_cp1251;
            std::string out =
                layout_.Layout(line, text, cols_, lineAlign_[i], lineScroll_[i], separator_);
            charsets_.MapRow(out);
            if (active) driver->WriteText(1, static_cast<uint8_t>(line), out.data(), out.size());
            rows.push_back(std::move(out));
        }
    } catch (...) {
        rows.resize(static_cast<size_t>(rows_));
        for (auto& row : rows) row.resize(static_cast<size_t>(cols_), ' ');
    }
    return rows;
}

} // namespace orv
