// Navigation on timed screens: a request in the last tick of a screen is taken once, a request
// ends the wait between ticks at once, and of two requests in one tick the later one wins.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace orv;
using namespace orv::test;

namespace {

using TVisits = std::vector<std::pair<int64_t, std::string>>; // (entered at, line 1)

// Screens s0..s3 of one second each (four ticks of 250 ms), entered at 1000, 2000, ... when
// nothing intervenes.
// ticking: line 2 shows the time in every tick, so that every tick sends a frame.
struct TTimedJob {
    explicit TTimedJob(bool skipQuiet, bool ticking = false) {
        rig.catalogue.Declare("clock", {"$ms"});
        rig.catalogue.SetAnswerFunction(
            [this](const auto&) { return std::to_string(rig.clock.NowMs()); });
        for (int i = 0; i < 4; ++i)
            rig.AddScreen({"s" + std::to_string(i), ticking ? "$ms[,,,4]$" : ""}, 1);
        rig.thread.SetSkipQuietTicks(skipQuiet);
        rig.clock.HonourWakes = true;
    }
    // Line 1 of each frame that differs from the one before, with its time.
    TVisits Visits(int64_t ms) {
        rig.RunFor(ms);
        TVisits visits;
        for (const auto& frame : rig.sink.Frames) {
            std::string text = frame.Rows[0];
            text.erase(text.find_last_not_of(' ') + 1);
            if (visits.empty() || visits.back().second != text)
                visits.emplace_back(frame.AtMs, text);
        }
        return visits;
    }
    TThreadRig rig;
};

TEST(ControlThreadNavigation, ARequestInTheLastTickOfATimedScreenIsTakenOnce) {
    struct TCase {
        const char* Name;
        int64_t PressAtMs; // during the wait that ends at the screen's deadline
        std::function<void(TControlThread&)> Press;
        TVisits Expected;
    };
    const std::vector<TCase> cases = {
        {"next",
         1900,
         [](TControlThread& t) { t.Next(); },
         {{1000, "s0"}, {2000, "s1"}, {3000, "s2"}}},
        {"previous",
         2900,
         [](TControlThread& t) { t.Previous(); },
         {{1000, "s0"}, {2000, "s1"}, {3000, "s0"}}},
        {"go to 3",
         1900,
         [](TControlThread& t) { t.GoTo(3); },
         {{1000, "s0"}, {2000, "s3"}, {3000, "s0"}}},
        {"go to 0",
         2900,
         [](TControlThread& t) { t.GoTo(0); },
         {{1000, "s0"}, {2000, "s1"}, {3000, "s0"}}},
    };
    for (bool skipQuiet : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (skipQuiet ? ", quiet ticks slept through" : ""));
            TTimedJob job(skipQuiet);
            // The request comes while the thread sleeps into the deadline, so the deadline,
            // not the request, ends the screen.
            bool pressed = false;
            job.rig.clock.OnSleep = [&](int64_t from, int64_t to) {
                if (!pressed && from < c.PressAtMs && c.PressAtMs < to) {
                    pressed = true;
                    c.Press(job.rig.thread);
                }
            };
            EXPECT_EQ(job.Visits(3000), c.Expected);
            EXPECT_TRUE(pressed);
        }
    }
}

TEST(ControlThreadNavigation, ARequestEndsTheWaitAndTheLaterOfTwoWins) {
    struct TCase {
        const char* Name;
        std::function<void(TControlThread&)> Press;
        TVisits Expected;
    };
    // Pressed on the thread while it shows s1's last tick (at 2750), before that tick's
    // wait: the next screen follows at once, not at 3000, and the one after it a second
    // later.
    const std::vector<TCase> cases = {
        {"next",
         [](TControlThread& t) { t.Next(); },
         {{1000, "s0"}, {2000, "s1"}, {2750, "s2"}, {3750, "s3"}}},
        {"next, then previous",
         [](TControlThread& t) {
             t.Next();
             t.Previous();
         },
         {{1000, "s0"}, {2000, "s1"}, {2750, "s0"}, {3750, "s1"}}},
        {"previous twice: one screen back, not two",
         [](TControlThread& t) {
             t.Previous();
             t.Previous();
         },
         {{1000, "s0"}, {2000, "s1"}, {2750, "s0"}, {3750, "s1"}}},
        {"go to 3, then next",
         [](TControlThread& t) {
             t.GoTo(3);
             t.Next();
         },
         {{1000, "s0"}, {2000, "s1"}, {2750, "s2"}, {3750, "s3"}}},
        {"next, then go to 0",
         [](TControlThread& t) {
             t.Next();
             t.GoTo(0);
         },
         {{1000, "s0"}, {2000, "s1"}, {2750, "s0"}, {3750, "s1"}}},
    };
    for (bool skipQuiet : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (skipQuiet ? ", quiet ticks slept through" : ""));
            TTimedJob job(skipQuiet, true);
            bool pressed = false;
            job.rig.sink.OnFrame = [&](size_t n) {
                if (n != 8 || pressed) return; // s1's fourth tick
                pressed = true;
                c.Press(job.rig.thread);
            };
            const TVisits visits = job.Visits(3000);
            EXPECT_TRUE(pressed);
            EXPECT_EQ(visits, c.Expected);
        }
    }
}

} // namespace
