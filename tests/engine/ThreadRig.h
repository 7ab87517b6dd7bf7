// A display thread with a fake catalogue, a recording driver and a clock that never waits, run
// on the test's own thread until a given amount of fake time has passed.
#pragma once

#include "engine/Charsets.h"
#include "engine/ControlThread.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "tests/engine/EngineFakes.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace orv::test {

// Fake time: sleeping only moves it on (and is recorded); the run is asked to end once a limit
// is reached.
class TStoppingClock : public TEngineClock {
public:
    int64_t NowMs() override { return now_; }
    void SleepMs(int64_t ms) override {
        Sleeps.push_back(ms);
        if (OnSleep) OnSleep(now_, now_ + std::max<int64_t>(ms, 0));
        if (ms > 0) now_ += ms;
        if (now_ >= limitMs_) stop_.request_stop();
    }
    void StopAt(int64_t limitMs, std::stop_source stop) {
        limitMs_ = limitMs;
        stop_ = std::move(stop);
    }
    // With HonourWakes, a wait whose wake-up is already due (a request made before it, on
    // the thread itself) ends at once, as on a real clock; else every wait is slept out.
    void WaitMs(int64_t ms, std::stop_token stop, const TWakeUp& wake) override {
        ++Waits;
        if (HonourWakes) {
            std::unique_lock lock(wake.Mutex);
            if (stop.stop_requested() || wake.Ready()) return;
        }
        SleepMs(ms);
    }
    // Time spent working rather than sleeping.
    void Advance(int64_t ms) { now_ += ms; }

    std::vector<int64_t> Sleeps;
    int Waits = 0; // the thread's waits between ticks (a transition sleeps too)
    bool HonourWakes = false;
    // Called in every sleep with its start and end: what happens meanwhile on other threads.
    std::function<void(int64_t fromMs, int64_t toMs)> OnSleep;

private:
    int64_t now_ = 1000;
    int64_t limitMs_ = 0;
    std::stop_source stop_;
};

// The recording driver, also counting Clear.
class TPanel : public TRecordingDriver {
public:
    using TRecordingDriver::TRecordingDriver;
    void Clear() override { ++Clears; }
    int Clears = 0;
};

struct TFrame {
    int64_t AtMs;
    std::vector<std::string> Rows;
};

class TRecordingSink : public TFrameSink {
public:
    explicit TRecordingSink(TEngineClock& clock) : clock_(clock) {}
    void ShowFrame(const std::vector<std::string>& rows) override {
        Frames.push_back({clock_.NowMs(), rows});
        if (OnFrame) OnFrame(Frames.size());
    }
    std::vector<TFrame> Frames;
    std::function<void(size_t count)> OnFrame;

private:
    TEngineClock& clock_;
};

// Consecutive frames with the same row, as (row without trailing blanks, number of frames).
inline std::vector<std::pair<std::string, int>> Runs(const std::vector<TFrame>& frames,
                                                     size_t row = 0) {
    std::vector<std::pair<std::string, int>> runs;
    for (const auto& f : frames) {
        std::string text = row < f.Rows.size() ? f.Rows[row] : std::string();
        text.erase(text.find_last_not_of(' ') + 1);
        if (!runs.empty() && runs.back().first == text)
            ++runs.back().second;
        else
            runs.emplace_back(text, 1);
    }
    return runs;
}

struct TThreadRig {
    // The rig wakes the thread on every tick, so that tests can count frames per tick; the
    // quiet-tick tests turn skipping back on and compare both.
    explicit TThreadRig(int32_t rows = 2, int32_t cols = 16) : driver(rows, cols) {
        thread.SetGeometry(rows, cols);
        thread.SetSkipQuietTicks(false);
    }

    // A screen with the given lines; returns its index.
    int AddScreen(std::vector<std::string> lines, int32_t timeoutS = 1) {
        const int index = job.Count();
        job.AddScreen("screen " + std::to_string(index + 1));
        for (size_t i = 0; i < lines.size(); ++i)
            job.SetLine(index, static_cast<int>(i) + 1, lines[i]);
        job.SetTimeout(index, timeoutS);
        return index;
    }

    // Runs the cycle on this thread for ms of fake time.
    void RunFor(int64_t ms) {
        std::stop_source stop;
        clock.StopAt(clock.NowMs() + ms, stop);
        thread.SetSettings(settings);
        thread.SetFrameSink(&sink);
        thread.Run(stop.get_token());
    }

    TFakeCatalogue catalogue;
    TCharsets charsets;
    TTagLanguage language{catalogue, charsets};
    TJob job;
    TPanel driver;
    TLCDBaseControl* current = &driver;
    TStoppingClock clock;
    TScriptedRandom random{{0}};
    TRecordingSink sink{clock};
    TDisplaySettings settings;
    TControlThread thread{job, language, charsets, [this] { return current; }, clock, random};
};

} // namespace orv::test
