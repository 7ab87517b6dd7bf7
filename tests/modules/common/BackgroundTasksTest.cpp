// Replacing a module's background work: the caller never waits, one task works at a time, and
// of work replaced before it started only the last runs.
#include "modules/common/BackgroundTasks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

using namespace orv;
using namespace std::chrono_literals;

TEST(BackgroundTasks, ReplacedWorkRunsOneAtATimeAndOnlyTheLastWaitingOneRuns) {
    std::atomic<int> working = 0, mostAtOnce = 0;
    std::mutex mutex;
    std::vector<int> ran;
    // Work that runs until it is asked to stop (a download from a server that never answers).
    auto work = [&](int id) {
        return [&, id](std::stop_token stop) {
            const int now = ++working;
            for (int seen = mostAtOnce;
                 now > seen && !mostAtOnce.compare_exchange_weak(seen, now);) {
            }
            {
                std::lock_guard lock(mutex);
                ran.push_back(id);
            }
            while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(20ms); // a transfer takes a moment to give up
            --working;
        };
    };

    TBackgroundTasks tasks;
    tasks.Replace(work(0));
    while (working == 0) std::this_thread::sleep_for(1ms);
    const auto start = std::chrono::steady_clock::now();
    for (int id = 1; id <= 20; ++id) tasks.Replace(work(id));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "Replace does not wait";
    EXPECT_LE(tasks.Running(), 1);

    // The last one starts once the first has given up; those between never run.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (ran.size() >= 2 || std::chrono::steady_clock::now() > deadline) break;
        }
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(50ms);
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(ran, (std::vector<int>{0, 20}));
    }
    EXPECT_EQ(mostAtOnce, 1);
    EXPECT_EQ(tasks.Running(), 1);

    // Stopping ends the running one and drops waiting work.
    tasks.Replace(work(21));
    tasks.StopAll();
    EXPECT_EQ(tasks.Running(), 0);
    std::this_thread::sleep_for(50ms);
    std::lock_guard lock(mutex);
    EXPECT_EQ(ran, (std::vector<int>{0, 20}));
}
