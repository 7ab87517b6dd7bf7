// The display thread's sign of life for a service watchdog: one per tick and after an idle
// wait, at no extra wake-up, and on its own period while the thread is suspended.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

using namespace orv;
using namespace orv::test;
using namespace std::chrono_literals;

namespace {

TEST(ControlThreadHeartbeat, BeatsWithEveryTickAndCostsNoWaitOfItsOwn) {
    TThreadRig rig;
    int beats = 0;
    rig.thread.SetHeartbeat([&] { ++beats; }, 10ms);
    rig.AddScreen({"one"}, 1);
    rig.RunFor(2000);
    EXPECT_EQ(static_cast<size_t>(beats), rig.sink.Frames.size());
    for (int64_t ms : rig.clock.Sleeps) EXPECT_EQ(ms, 250) << "only the ticks wait";

    // A job whose every screen is hidden waits a tick per pass, and beats after it.
    TThreadRig hidden;
    int idleBeats = 0;
    hidden.thread.SetHeartbeat([&] { ++idleBeats; }, 10ms);
    hidden.AddScreen({"one"}, 1);
    hidden.job.SetShow(0, false);
    hidden.RunFor(1000);
    EXPECT_TRUE(hidden.sink.Frames.empty());
    EXPECT_EQ(static_cast<size_t>(idleBeats), hidden.clock.Sleeps.size());
    EXPECT_GE(idleBeats, 3);
}

TEST(ControlThreadHeartbeat, BeatsOnItsPeriodWhileSuspended) {
    TThreadRig rig;
    TSystemClock clock;
    TControlThread thread(
        rig.job, rig.language, rig.charsets, [&] { return rig.current; }, clock, rig.random);
    rig.AddScreen({"live"}, 0);
    std::atomic<int> beats{0};
    thread.SetHeartbeat([&] { ++beats; }, 5ms);
    ASSERT_TRUE(thread.Start());
    auto inTime = [](std::function<void()> f) {
        return std::async(std::launch::async, std::move(f)).wait_for(60s) ==
               std::future_status::ready;
    };
    ASSERT_TRUE(inTime([&] { thread.Suspend(); }));
    const size_t writes = rig.driver.Writes.size();
    const int before = beats;
    EXPECT_TRUE(inTime([&] {
        while (beats < before + 3) std::this_thread::sleep_for(1ms);
    }));
    EXPECT_EQ(rig.driver.Writes.size(), writes) << "suspended: no tick";
    thread.Resume();
    EXPECT_TRUE(inTime([&] { thread.Stop(); }));
}

} // namespace
