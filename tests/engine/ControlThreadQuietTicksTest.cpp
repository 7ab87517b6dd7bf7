// Sleeping through the ticks that can change nothing must not change what the panel shows or
// when: the demo job, a job of every kind of element and random jobs run for long stretches of
// fake time once waking on every tick and once sleeping through quiet ticks, and the module
// calls, the panel's writes and the frames must match, each at the same time.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace orv;
using namespace orv::test;
using namespace std::chrono_literals;

namespace {

// A panel that logs every write and glyph load with the time it came.
class TTimedPanel : public TRecordingDriver {
public:
    TTimedPanel(TEngineClock& clock, int32_t rows, int32_t cols)
        : TRecordingDriver(rows, cols), clock_(clock) {}
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override {
        Log.push_back(Stamp() + "row " + std::to_string(row) + "/" + std::to_string(col) + " " +
                      std::string(text, len));
    }
    void DefineChar(uint8_t index, const uint8_t* pattern) override {
        Log.push_back(Stamp() + "slot " + std::to_string(index) + " " +
                      std::string(reinterpret_cast<const char*>(pattern), 8));
    }
    std::vector<std::string> Log;

private:
    std::string Stamp() { return std::to_string(clock_.NowMs()) + " "; }
    TEngineClock& clock_;
};

struct TTimeline {
    std::vector<std::string> Calls;  // module calls
    std::vector<std::string> Panel;  // the panel's writes and glyph loads
    std::vector<std::string> Frames; // frames that differ from the one before
    size_t Waits = 0;                // between ticks
    int64_t LongestBeatGapMs = 0;
};

using TSetup = std::function<void(TThreadRig&)>;

// Answers that change with the fake time, as a clock's or a meter's would.
std::string Answer(TThreadRig& rig, const std::string& name, const std::string& argument) {
    const int64_t s = rig.clock.NowMs() / 1000;
    const auto digits = [](int64_t v, int width) {
        char out[32];
        std::snprintf(out, sizeof out, "%0*lld", width, static_cast<long long>(v));
        return std::string(out);
    };
    if (name == "$time")
        return digits(s / 3600 % 24, 2) + ":" + digits(s / 60 % 60, 2) + ":" + digits(s % 60, 2);
    if (name == "$nowSec" || name == "$pct") return std::to_string(s % 60 * 100 / 59);
    if (name == "$defineCharset") return "_SwitchCharset:" + argument;
    if (name == "$tallfour") return "_4Clock";
    if (name.starts_with("$bigClock_")) return std::string(4, static_cast<char>(1 + s % 6));
    if (name == "$MaskChar") return "_MaskChar:" + argument;
    if (name == "$AnimChars") return "_AnimList:" + argument;
    if (name == "$NamedChar") return "_NamedChar:" + argument;
    if (name == "$blink") return s % 7 < 4 ? "_SetFlash on" : "_UnsetFlash off";
    if (name == "$spin") return s % 5 < 3 ? "|/-\\" : "*";
    if (name == "$list") return s % 11 < 8 ? "#enum3" : "#enum0";
    if (name == "$maybe") return s % 9 < 3 ? "#skip" : "shown";
    if (name == "$wide") return std::string(static_cast<size_t>(6 + s % 13), 'w') + "|";
    return name.substr(1, 4) + argument.substr(0, 1) + std::to_string(s / 5 % 10);
}

TTimeline Run(const TSetup& setup, bool skipQuiet, int64_t ms, int32_t rows = 4,
              int32_t cols = 20) {
    TThreadRig rig(rows, cols);
    TTimedPanel panel(rig.clock, rows, cols);
    rig.current = &panel;
    TTimeline timeline;
    const int64_t end = rig.clock.NowMs() + ms;
    rig.catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall& call) {
        const std::string name = rig.catalogue.NameOf(call.ModuleKey, call.TagIndex);
        timeline.Calls.push_back(std::to_string(rig.clock.NowMs()) + " " + name + "[" +
                                 call.Argument + "]");
        return Answer(rig, name, call.Argument);
    });
    setup(rig);
    rig.thread.SetSkipQuietTicks(skipQuiet);
    int64_t lastBeat = rig.clock.NowMs();
    rig.thread.SetHeartbeat(
        [&] {
            timeline.LongestBeatGapMs =
                std::max(timeline.LongestBeatGapMs, rig.clock.NowMs() - lastBeat);
            lastBeat = rig.clock.NowMs();
        },
        15s);
    rig.RunFor(ms);

    // Only what happened before the end: the sleeping run may sleep beyond it.
    const auto before = [end](const std::string& line) { return std::stoll(line) < end; };
    std::erase_if(timeline.Calls, [&](const auto& l) { return !before(l); });
    for (const auto& l : panel.Log)
        if (before(l)) timeline.Panel.push_back(l);
    for (const auto& frame : rig.sink.Frames) {
        if (frame.AtMs >= end) continue;
        std::string rowsText;
        for (const auto& row : frame.Rows) rowsText += row + "|";
        const std::string line = std::to_string(frame.AtMs) + " " + rowsText;
        if (timeline.Frames.empty() || timeline.Frames.back().substr(timeline.Frames.back().find(
                                           ' ')) != line.substr(line.find(' ')))
            timeline.Frames.push_back(line);
    }
    timeline.Waits = static_cast<size_t>(rig.clock.Waits);
    return timeline;
}

// Where two logs first differ; npos when they do not.
size_t FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i == a.size() && i == b.size() ? std::string::npos : i;
}

// The first difference of two long logs, with the lines before it.
void ExpectSameLines(const std::vector<std::string>& quiet,
                     const std::vector<std::string>& everyTick, const char* what) {
    const size_t i = FirstDifference(quiet, everyTick);
    if (i == std::string::npos) return;
    std::string context;
    for (size_t k = i >= 3 ? i - 3 : 0; k < i; ++k) context += "    " + everyTick[k] + "\n";
    ADD_FAILURE() << what << " differ at " << i << " of " << everyTick.size()
                  << " (every tick) and " << quiet.size() << " (quiet ticks slept through), after\n"
                  << context << "every tick: " << (i < everyTick.size() ? everyTick[i] : "(end)")
                  << "\nquiet:      " << (i < quiet.size() ? quiet[i] : "(end)");
}

// Both runs agree (in their module calls too unless modules promise their answers); returns how
// often each waited between ticks (every tick, quiet ticks slept through).
std::pair<size_t, size_t> ExpectSameTimeline(const TSetup& setup, int64_t ms, int32_t rows = 4,
                                             int32_t cols = 20, bool sameCalls = true) {
    const TTimeline everyTick = Run(setup, false, ms, rows, cols);
    const TTimeline quiet = Run(setup, true, ms, rows, cols);
    if (sameCalls) ExpectSameLines(quiet.Calls, everyTick.Calls, "module calls");
    ExpectSameLines(quiet.Panel, everyTick.Panel, "panel writes");
    ExpectSameLines(quiet.Frames, everyTick.Frames, "frames");
    EXPECT_FALSE(everyTick.Frames.empty());
    EXPECT_LE(quiet.LongestBeatGapMs, 15'000) << "the heartbeat keeps its period";
    EXPECT_LE(quiet.Waits, everyTick.Waits);
    return {everyTick.Waits, quiet.Waits};
}

void DeclareTags(TThreadRig& rig, const std::vector<std::string>& names) {
    rig.catalogue.Declare("fake", names);
}

TEST(ControlThreadQuietTicks, TheDemoJobShowsTheSameFramesAtTheSameTimes) {
    const TSetup demo = [](TThreadRig& rig) {
        DeclareTags(rig, {"$time", "$date", "$dayofweek", "$uptime", "$defineCharset", "$nowSec",
                          "$tallfour", "$bigClock_1", "$bigClock_2", "$bigClock_3", "$nowMonthStr",
                          "$nowYear", "$MaskChar", "$AnimChars", "$NamedChar"});
        ASSERT_TRUE(rig.job.LoadFromFile(std::string(ORVANTA3_SOURCE_DIR) + "/examples/demo.orv3"));
        ASSERT_GT(rig.job.Count(), 3);
    };
    const auto [everyTick, quiet] = ExpectSameTimeline(demo, 20 * 60'000);
    EXPECT_LT(quiet, everyTick) << "the big clock's screen refreshes every fourth tick";
}

// Screens with every kind of element, with and without a deadline, in two tick settings.
TEST(ControlThreadQuietTicks, EveryKindOfElementShowsTheSameFramesAtTheSameTimes) {
    const TSetup kinds = [](TThreadRig& rig) {
        DeclareTags(rig, {"$time", "$pct", "$blink", "$spin", "$list", "$item", "$maybe", "$slow",
                          "$wide", "$tallfour", "$bigClock_1", "$bigClock_2", "$AnimChars",
                          "$MaskChar"});
        auto screen = [&](std::vector<std::string> lines, int32_t timeoutS, uint8_t effect = 0) {
            const int index = rig.AddScreen(std::move(lines), timeoutS);
            rig.job.SetTransitionEffect(index, effect);
            return index;
        };
        screen(
            {"$pct[,,10,2,bar]$ $pct[,r,,2]$", "$pct[,,8,3,digit_bar]$", "static", "$slow[,,,1]$"},
            9, 1);
        screen({"$tallfour$$bigClock_1[,,,2]$", "$bigClock_2[,,,2]$", "$time[,3,,3]$"}, 10, 8);
        const int scrolling =
            screen({"a line far too long for the panel, moving left - $time[,,,2]$",
                    "a line far too long for the panel, moving right",
                    "back and forth, too long for twenty", "$slow[,,,1]$"},
                   5, 6);
        rig.job.SetScroll(scrolling, 2, lsMoveRight);
        rig.job.SetScroll(scrolling, 3, lsBackAndForth);
        screen({"$blink[,,,2]$", "$time[,,,2,flash]$", "$wide[,,8,1]$"}, 6);
        screen({"$spin[,,,1,anim]$ spin", "$AnimChars['2;vb_0;vb_1;vb_2',,,2,anim_char]$",
                "$MaskChar['1;x00;x0A;x1F;x1F;x0E;x04;x00;x00']$"},
               6);
        screen({"$list[,,,1]$ list", "$item[,,,2]$", "$slow[,,,3]$"}, 0);
        const int once = screen({"once $slow[,,,2]$"}, 3);
        rig.job.SetOnce(once, true);
        screen({"$maybe[,,,2]$", "$slow[,,,1]$"}, 4, 1);
        const int hidden = screen({"hidden"}, 2);
        rig.job.SetShow(hidden, false);
        screen({"$slow[,,,1]$", "$slow[x,,,0]$", "$slow[y,25,,2]$ off the line"}, 13);
    };
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE("variant " + std::to_string(variant));
        const TSetup setup = [&](TThreadRig& rig) {
            kinds(rig);
            if (variant == 1) {
                rig.settings.BaseTimeoutMs = 100;
                rig.settings.LongDelayPeriod = 7;      // not a multiple of four
                rig.settings.TransitionSpeedMs = 1000; // a transition outlasts its tick
            }
            if (variant == 2) {
                rig.settings.CalculateTimeForLongStrings = true;
                rig.settings.SubScreenShowTimeS = 1;
                rig.settings.UseScrollDelimiter = true;
                rig.settings.ScrollDelimiter = " ~ ";
            }
        };
        const auto [everyTick, quiet] = ExpectSameTimeline(setup, 30 * 60'000);
        EXPECT_LT(quiet * 3, everyTick * 2);
    }
}

TEST(ControlThreadQuietTicks, RandomJobsShowTheSameFramesAtTheSameTimes) {
    const std::vector<std::string> pieces = {"$time$",
                                             "$time[,,,2]$",
                                             "$pct[,,6,1,bar]$",
                                             "$slow[,r,,3]$",
                                             "$blink[,5,3,2]$",
                                             "$spin[,,,2,anim]$",
                                             "$pct[,,8,2,simple_bar]$",
                                             "$list[,,,1]$",
                                             "$maybe[,,,2]$",
                                             "$wide[,,4,1]$",
                                             "$slow[,,,9]$",
                                             "text ",
                                             "a long piece of plain text that will not fit"};
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const TSetup random = [&](TThreadRig& rig) {
            std::mt19937 rng(seed);
            const auto below = [&](int n) {
                return static_cast<int>(rng() % static_cast<uint32_t>(n));
            };
            DeclareTags(rig,
                        {"$time", "$pct", "$slow", "$blink", "$spin", "$list", "$maybe", "$wide"});
            const int screens = 1 + below(5);
            for (int s = 0; s < screens; ++s) {
                std::vector<std::string> lines;
                for (int l = 0; l < 1 + below(4); ++l) {
                    std::string line;
                    for (int p = below(4); p > 0; --p)
                        line += pieces[static_cast<size_t>(below(13))];
                    lines.push_back(line);
                }
                const int index = rig.AddScreen(lines, below(4) == 0 ? 0 : 1 + below(8));
                rig.job.SetTransitionEffect(index,
                                            static_cast<uint8_t>(below(3) == 0 ? 1 + below(8) : 0));
                rig.job.SetScroll(index, 1, static_cast<TLineScroll>(below(3)));
                rig.job.SetOnce(index, below(6) == 0);
            }
            rig.settings.LongDelayPeriod = 4 + below(20);
            rig.settings.CalculateTimeForLongStrings = below(2) == 0;
        };
        ExpectSameTimeline(random, 10 * 60'000, 2 + static_cast<int32_t>(seed % 3), 16);
    }
}

// Modules that promise their answers until the next second (as a clock does): due refreshes
// before then are slept through, and the frames and the panel's writes stay the same, on a
// static screen, the demo job and screens with commands and marks (which are asked again
// whatever is promised). A promise one tick too long shows.
TEST(ControlThreadQuietTicks, PromisedAnswersAreSleptThroughWithTheSameFrames) {
    const auto promising = [](const TSetup& setup, int64_t lateMs) -> TSetup {
        return [setup, lateMs](TThreadRig& rig) {
            setup(rig);
            rig.catalogue.SetSteadyFunction([&rig, lateMs](const TFakeCatalogue::TCall&) {
                return static_cast<int32_t>(1000 - rig.clock.NowMs() % 1000 + lateMs);
            });
        };
    };
    const TSetup staticScreen = [](TThreadRig& rig) {
        DeclareTags(rig, {"$time"});
        rig.AddScreen({"$time[5,,,4]$", "plain text", "more plain text", "and some more"}, 0);
    };
    const auto [everyTick, quiet] =
        ExpectSameTimeline(promising(staticScreen, 0), 10 * 60'000, 4, 20, false);
    EXPECT_LE(quiet * 10, 600u * 11) << "about once a second, when the time changes";
    EXPECT_GE(everyTick, 600u * 4);

    const TSetup demo = [](TThreadRig& rig) {
        DeclareTags(rig, {"$time", "$date", "$dayofweek", "$uptime", "$defineCharset", "$nowSec",
                          "$tallfour", "$bigClock_1", "$bigClock_2", "$bigClock_3", "$nowMonthStr",
                          "$nowYear", "$MaskChar", "$AnimChars", "$NamedChar"});
        ASSERT_TRUE(rig.job.LoadFromFile(std::string(ORVANTA3_SOURCE_DIR) + "/examples/demo.orv3"));
    };
    const TSetup kinds = [](TThreadRig& rig) {
        DeclareTags(rig, {"$time", "$pct", "$blink", "$list", "$maybe", "$slow", "$bigClock_1"});
        rig.AddScreen({"$time[,,,4]$ $pct[,,6,4,bar]$", "$blink[,,,4]$", "$bigClock_1[,,,3]$"}, 7);
        rig.AddScreen({"$list[,,,4]$ list", "$maybe[,,,4]$", "$slow[,,,2]$ $time[,,,1]$"}, 5);
    };
    ExpectSameTimeline(promising(kinds, 0), 20 * 60'000, 4, 20, false);
    ExpectSameTimeline(promising(demo, 0), 20 * 60'000, 4, 20, false);
    const TTimeline truth = ::Run(promising(demo, 250), false, 5 * 60'000);
    const TTimeline late = ::Run(promising(demo, 250), true, 5 * 60'000);
    EXPECT_NE(FirstDifference(late.Frames, truth.Frames), std::string::npos)
        << "a promise a tick too long holds a value past its change";
}

} // namespace
