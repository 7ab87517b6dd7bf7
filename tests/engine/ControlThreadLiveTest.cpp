// The display thread as a real thread on the system clock. Waits are generous and nothing
// depends on how fast the machine is.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

using namespace orv;
using namespace orv::test;
using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 60s;

class TCountingSink : public TFrameSink {
public:
    void ShowFrame(const std::vector<std::string>& rows) override {
        std::lock_guard lock(mutex_);
        ++count_;
        last_ = rows;
        changed_.notify_all();
    }
    size_t Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    std::vector<std::string> Last() {
        std::lock_guard lock(mutex_);
        return last_;
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return count_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t count_ = 0;
    std::vector<std::string> last_;
};

// skipQuiet off: the static screen sends a frame on every tick, for the tests that count them.
struct TLiveRig {
    explicit TLiveRig(int32_t baseTimeoutMs, bool skipQuiet = false) {
        job.AddScreen("one");
        job.SetLine(0, 1, "live");
        job.AddScreen("two");
        job.SetLine(1, 1, "next");
        thread.SetSkipQuietTicks(skipQuiet);
        TDisplaySettings settings;
        settings.BaseTimeoutMs = baseTimeoutMs;
        thread.SetSettings(settings);
        thread.SetFrameSink(&sink);
    }

    // Runs f on another thread; true when it ended within the patience.
    static bool EndsInTime(std::function<void()> f) {
        auto done = std::async(std::launch::async, std::move(f));
        return done.wait_for(kPatience) == std::future_status::ready;
    }

    TFakeCatalogue catalogue;
    TCharsets charsets;
    TTagLanguage language{catalogue, charsets};
    TJob job;
    TPanel driver;
    TSystemClock clock;
    TSystemRandom random;
    TCountingSink sink;
    TControlThread thread{job, language, charsets, [this] { return &driver; }, clock, random};
};

} // namespace

TEST(ControlThreadLive, StartAndStop) {
    TLiveRig rig(600'000); // a tick that would sleep ten minutes
    TJob empty;
    TControlThread idle(empty, rig.language, rig.charsets, nullptr, rig.clock, rig.random);
    EXPECT_FALSE(idle.Start());
    EXPECT_FALSE(idle.Running());

    ASSERT_TRUE(rig.thread.Start());
    EXPECT_TRUE(rig.thread.Running());
    EXPECT_FALSE(rig.thread.Start());
    ASSERT_TRUE(rig.sink.WaitFor(1));

    // While it runs, settings stay as they are and the preview does nothing.
    rig.thread.SetGeometry(4, 20);
    EXPECT_EQ(rig.thread.Rows(), 2);
    EXPECT_TRUE(rig.thread.PreviewStep({"x"}, true).empty());

    // Stop ends the long wait at once.
    EXPECT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Stop(); }));
    EXPECT_FALSE(rig.thread.Running());
    EXPECT_EQ(rig.sink.Count(), 1u);
    rig.thread.Stop();

    // And it can run again.
    ASSERT_TRUE(rig.thread.Start());
    ASSERT_TRUE(rig.sink.WaitFor(2));
    EXPECT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Stop(); }));
}

// A static screen without a timeout sleeps through its quiet ticks: a navigation request, a
// suspend and a stop each end that sleep at once.
TEST(ControlThreadLive, RequestsEndTheSleepThroughQuietTicks) {
    TLiveRig rig(250, true);
    ASSERT_TRUE(rig.thread.Start());
    ASSERT_TRUE(rig.sink.WaitFor(1));
    std::this_thread::sleep_for(600ms); // two ticks and more: no frame, the screen is static
    EXPECT_EQ(rig.sink.Count(), 1u);
    rig.thread.Next();
    ASSERT_TRUE(rig.sink.WaitFor(2));
    EXPECT_EQ(rig.sink.Last()[0], "next            ");
    ASSERT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Suspend(); }));
    rig.thread.Resume(); // the panel may have been drawn on: the rows go out again
    ASSERT_TRUE(rig.sink.WaitFor(3));
    EXPECT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Stop(); }));
}

TEST(ControlThreadLive, SuspendHoldsTheThreadBetweenTicksUntilResume) {
    TLiveRig rig(5);
    rig.thread.Suspend(); // not running: returns at once
    rig.thread.Resume();

    ASSERT_TRUE(rig.thread.Start());
    ASSERT_TRUE(rig.sink.WaitFor(2));
    ASSERT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Suspend(); }));
    const size_t frames = rig.sink.Count();
    const size_t writes = rig.driver.Writes.size();
    std::this_thread::sleep_for(100ms); // room for ticks that must not happen
    EXPECT_EQ(rig.sink.Count(), frames);
    EXPECT_EQ(rig.driver.Writes.size(), writes);

    rig.thread.Resume();
    EXPECT_TRUE(rig.sink.WaitFor(frames + 2));

    // A suspended thread stops too.
    ASSERT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Suspend(); }));
    EXPECT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.Stop(); }));
    EXPECT_FALSE(rig.thread.Running());
}

TEST(ControlThreadLive, QuitMessageStopsTheCycleFirst) {
    TLiveRig rig(5);
    ASSERT_TRUE(rig.thread.Start());
    ASSERT_TRUE(rig.sink.WaitFor(1));
    ASSERT_TRUE(TLiveRig::EndsInTime([&] { rig.thread.ShowQuitMessage("Good bye!", ""); }));
    EXPECT_FALSE(rig.thread.Running());
    ASSERT_GE(rig.driver.Writes.size(), 2u);
    EXPECT_EQ(rig.driver.Writes.back().Text, std::string(16, ' '));
    EXPECT_EQ(rig.driver.Writes[rig.driver.Writes.size() - 2].Text, "Good bye!       ");
    EXPECT_EQ(rig.sink.Last()[0], "Good bye!       ");
}
