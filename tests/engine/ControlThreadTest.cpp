// The screen cycle on a fake clock: the thread body runs on the test's thread and never waits.
#include "base/Cp1251.h"
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orv;
using namespace orv::test;

namespace {

using TRuns = std::vector<std::pair<std::string, int>>;

std::string Padded(std::string text, size_t cols) {
    text.resize(cols, ' ');
    return text;
}

} // namespace

TEST(ControlThread, LongLinesStretchTheScreenTime) {
    for (const bool calculate : {true, false}) {
        SCOPED_TRACE(calculate);
        TThreadRig rig;
        rig.settings.CalculateTimeForLongStrings = calculate;
        rig.AddScreen({std::string(40, 'x'), "first"}, 5);
        rig.AddScreen({"B", "second"}, 5);
        rig.RunFor(9000);

        // 40 characters on 16 columns: 24 x 250 ms > 5000 ms, so (24 + 4) x 250 ms.
        const auto runs = Runs(rig.sink.Frames, 1);
        ASSERT_GE(runs.size(), 2u);
        EXPECT_EQ(runs[0], std::make_pair(std::string("first"), calculate ? 28 : 20));
        const auto& frames = rig.sink.Frames;
        EXPECT_EQ(frames[runs[0].second].AtMs - frames[0].AtMs, calculate ? 7000 : 5000);
    }
}

TEST(ControlThread, ASlowTickShortensTheSleepAndCausesNoCatchUpBurst) {
    TThreadRig rig;
    rig.catalogue.Declare("slow.so", {"$slow"});
    // Milliseconds each call of the module takes: first value and entry build, then one call
    // per tick.
    const std::vector<int64_t> costs = {0, 0, 100, 400, 0, 0};
    size_t call = 0;
    rig.catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall&) {
        if (call < costs.size()) rig.clock.Advance(costs[call]);
        ++call;
        return std::string("v");
    });
    rig.AddScreen({"$slow[,,,4]$"}, 0);
    rig.RunFor(1000);

    ASSERT_GE(rig.clock.Sleeps.size(), 3u);
    EXPECT_EQ(rig.clock.Sleeps[0], 150); // the rest of a 100 ms tick
    EXPECT_EQ(rig.clock.Sleeps[1], 250); // after the 400 ms tick no sleep, the next tick at once
    EXPECT_EQ(rig.clock.Sleeps[2], 250);
    const auto& frames = rig.sink.Frames;
    ASSERT_GE(frames.size(), 4u);
    const int64_t t0 = 1000;
    EXPECT_EQ(frames[0].AtMs - t0, 100);
    EXPECT_EQ(frames[1].AtMs - t0, 650);
    EXPECT_EQ(frames[2].AtMs - t0, 650);
    EXPECT_EQ(frames[3].AtMs - t0, 900);
}

TEST(ControlThread, EnumeratedScreenShowsItsSubScreensInTurn) {
    TThreadRig rig;
    rig.settings.SubScreenShowTimeS = 2;
    rig.catalogue.Declare("list.so", {"$list", "$item"});
    rig.catalogue.SetAnswerFunction([](const TFakeCatalogue::TCall& c) {
        return c.TagIndex == 0 ? std::string("#enum3") : "item" + c.Argument;
    });
    rig.AddScreen({"$list$ $item[,,,4]$", "sub"}, 0);
    rig.AddScreen({"next"}, 1);
    rig.RunFor(7000);

    // Three sub-screens of 2 s with the "#enum" marker removed from the line, then the next.
    EXPECT_EQ(Runs(rig.sink.Frames),
              (TRuns{{" item0", 8}, {" item1", 8}, {" item2", 8}, {"next", 4}}));
    EXPECT_EQ(rig.sink.Frames[24].AtMs - rig.sink.Frames[0].AtMs, 6000);

    // Each sub-screen's elements are created afresh with the template's argument, and take
    // the sub-screen's index from its first tick on.
    std::vector<std::string> arguments;
    for (const auto& c : rig.catalogue.Calls)
        if (c.TagIndex == 1 && (arguments.empty() || arguments.back() != c.Argument))
            arguments.push_back(c.Argument);
    EXPECT_EQ(arguments, (std::vector<std::string>{"", "0", "", "1", "", "2"}));
}

TEST(ControlThread, EnumerationCountsAndTimes) {
    struct TCase {
        std::string Answer;
        int32_t TimeoutS;
        TRuns Expected;
    };
    const std::vector<TCase> cases = {
        // Not a number: a count of 0, one screen for the sub-screen time, arguments untouched.
        {"#enumxyz", 0, {{"7", 8}, {"next", 4}}},
        {"#enum0", 0, {{"7", 8}, {"next", 4}}},
        // Low 8 bits of the count.
        {"#enum258", 0, {{"0", 8}, {"1", 8}, {"next", 4}}},
        // The screen's own time-out applies to each sub-screen.
        {"#enum2", 1, {{"0", 4}, {"1", 4}, {"next", 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Answer);
        TThreadRig rig;
        rig.catalogue.Declare("list.so", {"$list", "$arg"});
        rig.catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall& call) {
            return call.TagIndex == 0 ? c.Answer : call.Argument;
        });
        rig.AddScreen({"$list$$arg[7,,,4]$"}, c.TimeoutS);
        rig.AddScreen({"next"}, 1);
        int total = 0;
        for (const auto& run : c.Expected) total += run.second;
        rig.RunFor(250 * total);
        EXPECT_EQ(Runs(rig.sink.Frames), c.Expected);
    }
}

TEST(ControlThread, ScreenWithoutTimeoutStaysUntilNavigation) {
    TThreadRig rig;
    rig.AddScreen({"zero"}, 0);
    rig.AddScreen({"one"}, 1);
    rig.sink.OnFrame = [&](size_t n) {
        if (n == 400) rig.thread.Next();
    };
    rig.RunFor(120'000);
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"zero", 400}, {"one", 4}, {"zero", 76}}));
}

TEST(ControlThread, NavigationPreviousNextAndGoTo) {
    TThreadRig rig;
    for (int i = 0; i < 5; ++i) rig.AddScreen({"s" + std::to_string(i)}, 0);
    std::vector<int32_t> current;
    rig.sink.OnFrame = [&](size_t n) {
        current.push_back(rig.thread.CurrentScreen());
        switch (n) {
        case 2: rig.thread.Previous(); break; // from screen 0 to screen 4
        case 4: rig.thread.GoTo(0); break;
        case 6: // ignored: outside the job
            rig.thread.GoTo(5);
            rig.thread.GoTo(-1);
            break;
        case 8: rig.thread.GoTo(3); break;
        case 10: rig.thread.Next(); break;
        case 12: rig.thread.Previous(); break;
        case 14: rig.thread.Next(); break;
        case 16: rig.thread.Next(); break; // past the last screen to the first
        default: break;
        }
    };
    rig.RunFor(250 * 18);
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"s0", 2},
                                            {"s4", 2},
                                            {"s0", 4},
                                            {"s3", 2},
                                            {"s4", 2},
                                            {"s3", 2},
                                            {"s4", 2},
                                            {"s0", 2}}));
    EXPECT_EQ(current,
              (std::vector<int32_t>{0, 0, 4, 4, 0, 0, 0, 0, 3, 3, 4, 4, 3, 3, 4, 4, 0, 0}));

    // A job of one screen: previous and next both come back to it.
    TThreadRig single;
    single.AddScreen({"only"}, 0);
    single.sink.OnFrame = [&](size_t n) {
        if (n == 1) single.thread.Previous();
        if (n == 2) single.thread.GoTo(0);
        if (n == 3) single.thread.Next();
    };
    single.RunFor(1000);
    EXPECT_EQ(Runs(single.sink.Frames), (TRuns{{"only", 4}}));
    EXPECT_EQ(single.thread.CurrentScreen(), 0);
}

TEST(ControlThread, OnceScreenIsShownOnTheFirstPassOfEachRun) {
    TThreadRig rig;
    rig.catalogue.Declare("a.so", {"$a"});
    rig.catalogue.SetAnswer("$a", "A");
    rig.AddScreen({"$a$"}, 1);
    rig.job.SetOnce(0, true);
    rig.AddScreen({"B"}, 1);

    rig.RunFor(5000);
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"A", 4}, {"B", 16}}));
    EXPECT_TRUE(rig.job.GetShown(0));
    // The screen is still entered on every pass, so its module is still asked.
    EXPECT_EQ(rig.catalogue.Calls.size(), 4u);

    rig.sink.Frames.clear();
    rig.RunFor(2000);
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"A", 4}, {"B", 4}}));
}

TEST(ControlThread, PassedOverScreensFeedTheNextTransition) {
    enum class TPass { Skip, Hidden };
    for (const TPass pass : {TPass::Skip, TPass::Hidden}) {
        SCOPED_TRACE(static_cast<int>(pass));
        TThreadRig rig;
        rig.catalogue.Declare("skip.so", {"$skipper"});
        rig.catalogue.SetAnswer("$skipper", "#skip");
        rig.AddScreen({"AAA", "aaa"}, 1);
        const int passed =
            rig.AddScreen({pass == TPass::Skip ? "$skipper$" : "hidden", "from skip"}, 1);
        rig.job.SetTransitionEffect(passed, teDissolve);
        if (pass == TPass::Hidden) rig.job.SetShow(passed, false);
        const int next = rig.AddScreen({"CCC", "ccc"}, 1);
        rig.job.SetTransitionEffect(next, teScrollUp);
        rig.RunFor(2000);

        EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"AAA", 4}, {"CCC", 4}}));
        EXPECT_TRUE(rig.job.GetShown(passed));
        // After the rows of screen 0 (sent once, as they do not change), no dissolve: the scroll
        // up from the passed screen's lines.
        const auto& writes = rig.driver.Writes;
        ASSERT_GE(writes.size(), 6u);
        EXPECT_EQ(writes[1].Text, Padded("aaa", 16));
        EXPECT_EQ(writes[2].Text, Padded("from skip", 16));
        EXPECT_EQ(writes[3].Text, Padded("CCC", 16));
        EXPECT_EQ(writes[4].Text, Padded("CCC", 16));
        EXPECT_EQ(writes[5].Text, Padded("ccc", 16));
    }

    // Only the exact value skips.
    TThreadRig rig;
    rig.catalogue.Declare("skip.so", {"$skipper"});
    rig.catalogue.SetAnswer("$skipper", "#skip ");
    rig.AddScreen({"$skipper$"}, 1);
    rig.RunFor(1000);
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"#skip", 4}}));
}

TEST(ControlThread, TransitionPlaysOncePerVisitWithTheSettingsSpeed) {
    TThreadRig rig;
    rig.settings.TransitionSpeedMs = 400;
    rig.AddScreen({"one"}, 1);
    rig.job.SetTransitionEffect(0, teScrollUp);
    rig.AddScreen({"two"}, 1);
    rig.RunFor(2600);

    // 400 div (2 x 2) after each of the four writes; the effect's time counts toward the screen.
    ASSERT_GE(rig.clock.Sleeps.size(), 4u);
    EXPECT_EQ(std::vector<int64_t>(rig.clock.Sleeps.begin(), rig.clock.Sleeps.begin() + 4),
              std::vector<int64_t>(4, 100));
    const auto& writes = rig.driver.Writes;
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ(writes[0].Text, Padded("", 16)); // from the empty rows of the program start
    EXPECT_EQ(writes[1].Text, Padded("one", 16));
    EXPECT_EQ(writes[2].Text, Padded("one", 16));
    const auto runs = Runs(rig.sink.Frames);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], std::make_pair(std::string("one"), 4));
    EXPECT_EQ(runs[1], std::make_pair(std::string("two"), 4));
    // Two visits of screen 0, each with four transition writes and then both rows once; screen 1
    // sends only its first row, the one that differs from what the panel shows.
    EXPECT_EQ(writes.size(), 2u * (4 + 2) + 1);

    // Without a driver, or with one switched off, nothing is played.
    for (const bool withDriver : {false, true}) {
        TThreadRig quiet;
        quiet.current = withDriver ? &quiet.driver : nullptr;
        quiet.driver.Active = false;
        quiet.AddScreen({"one"}, 1);
        quiet.job.SetTransitionEffect(0, teDissolve);
        quiet.RunFor(1000);
        EXPECT_EQ(Runs(quiet.sink.Frames), (TRuns{{"one", 4}}));
        EXPECT_EQ(quiet.clock.Sleeps, std::vector<int64_t>(4, 250));
        EXPECT_TRUE(quiet.driver.Writes.empty());
    }
}

TEST(ControlThread, RowsAreMappedAndWrittenOnlyToAnActiveDriver) {
    TThreadRig rig;
    rig.charsets.SwitchCharset(1); // glyph entries 9..16 at codes 1..8
    rig.catalogue.Declare("glyph.so", {"$glyph"});
    rig.catalogue.SetAnswer("$glyph", "\x09\x0A");
    rig.AddScreen({"$glyph$ x", "row2"}, 0);
    rig.RunFor(1000);

    const std::string row1 = Padded("\x01\x02 x", 16);
    const std::string row2 = Padded("row2", 16);
    ASSERT_EQ(rig.driver.Writes.size(), 2u) << "rows that do not change are sent once";
    for (size_t i = 0; i < rig.driver.Writes.size(); ++i) {
        const auto& w = rig.driver.Writes[i];
        EXPECT_EQ(w.Col, 1);
        EXPECT_EQ(w.Row, static_cast<int>(i % 2) + 1);
        EXPECT_EQ(w.Text, i % 2 ? row2 : row1);
    }
    for (const auto& f : rig.sink.Frames) EXPECT_EQ(f.Rows, (std::vector<std::string>{row1, row2}));

    rig.driver.Active = false;
    rig.RunFor(1000);
    rig.current = nullptr;
    rig.RunFor(1000);
    EXPECT_EQ(rig.driver.Writes.size(), 2u);
    EXPECT_EQ(rig.sink.Frames.size(), 12u); // the frame sink still gets every tick

    // Switched on again, the panel gets every row anew.
    rig.current = &rig.driver;
    rig.driver.Active = true;
    rig.RunFor(1000);
    EXPECT_EQ(rig.driver.Writes.size(), 4u);
}

TEST(ControlThread, LinesScrollWithTheDelimiterAndKeepTheirAlignment) {
    TThreadRig rig(2, 8);
    rig.settings.UseScrollDelimiter = true;
    rig.settings.ScrollDelimiter = "<>";
    rig.AddScreen({"ABCDEFGHIJ", "ab"}, 0);
    rig.job.SetAlign(0, 2, laRight);
    rig.RunFor(250 * 13);

    std::vector<std::string> row1;
    for (const auto& f : rig.sink.Frames) {
        row1.push_back(f.Rows[0]);
        EXPECT_EQ(f.Rows[1], "      ab");
    }
    ASSERT_EQ(row1.size(), 13u);
    EXPECT_EQ(row1[0], "ABCDEFGH");
    EXPECT_EQ(row1[1], "ABCDEFGH");
    EXPECT_EQ(row1[10], "J<>ABCDE");
    EXPECT_EQ(row1[11], "<>ABCDEF");
    EXPECT_EQ(row1[12], "ABCDEFGH");

    // An empty delimiter counts as switched off: one blank.
    TThreadRig blank(1, 8);
    blank.settings.UseScrollDelimiter = true;
    blank.settings.ScrollDelimiter = "";
    blank.AddScreen({"ABCDEFGHIJ"}, 0);
    blank.RunFor(250 * 12);
    EXPECT_EQ(blank.sink.Frames.back().Rows[0], " ABCDEFG");
}

TEST(ControlThread, FailuresEndAScreenButNotTheCycle) {
    TThreadRig rig;
    rig.catalogue.Declare("boom.so", {"$boom"});
    rig.catalogue.SetAnswerFunction(
        [](const TFakeCatalogue::TCall&) -> std::string { throw std::runtime_error("module"); });
    rig.AddScreen({"ok0"}, 1);
    rig.AddScreen({"$boom$"}, 1);
    rig.AddScreen({"ok2"}, 1);
    bool driverFailed = false;
    rig.driver.OnWrite = [&] {
        if (!driverFailed && rig.driver.Writes.back().Text.starts_with("ok2")) {
            driverFailed = true;
            throw std::runtime_error("driver");
        }
    };
    rig.RunFor(4000);
    // Screen 1 fails on entry every time; screen 2 on its first tick, the first time only.
    EXPECT_EQ(Runs(rig.sink.Frames), (TRuns{{"ok0", 8}, {"ok2", 4}, {"ok0", 4}}));
    EXPECT_TRUE(driverFailed);
    EXPECT_TRUE(rig.job.GetShown(1));
}

TEST(ControlThread, AJobWithNothingToShowWaitsInsteadOfSpinning) {
    TThreadRig rig;
    rig.catalogue.Declare("a.so", {"$a"});
    for (int i = 0; i < 3; ++i) {
        rig.AddScreen({"$a$"}, 1);
        rig.job.SetShow(i, false);
    }
    rig.RunFor(10'000);
    EXPECT_TRUE(rig.sink.Frames.empty());
    EXPECT_EQ(rig.clock.Sleeps, std::vector<int64_t>(40, 250));
    EXPECT_EQ(rig.catalogue.Calls.size(), 3u * 40); // every screen entered once a tick
}

TEST(ControlThread, QuitMessageOnAnActiveDriver) {
    TThreadRig rig(4, 20);
    rig.catalogue.Declare("name.so", {"$name"});
    rig.catalogue.SetAnswer("$name", "world");
    rig.thread.SetFrameSink(&rig.sink);
    rig.thread.ShowQuitMessage("Good bye!", "Hello $name$, and a line too long");

    const std::vector<std::string> rows = {Padded("Good bye!", 20), "Hello world, and a l",
                                           Padded("", 20), Padded("", 20)};
    EXPECT_EQ(rig.driver.Clears, 1);
    ASSERT_EQ(rig.driver.Writes.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rig.driver.Writes[i].Row, static_cast<int>(i) + 1);
        EXPECT_EQ(rig.driver.Writes[i].Text, rows[i]);
    }
    ASSERT_EQ(rig.sink.Frames.size(), 1u);
    EXPECT_EQ(rig.sink.Frames[0].Rows, rows);

    // Nothing at all without an active driver.
    rig.driver.Active = false;
    rig.thread.ShowQuitMessage("Good bye!", "");
    rig.current = nullptr;
    rig.thread.ShowQuitMessage("Good bye!", "");
    EXPECT_EQ(rig.driver.Clears, 1);
    EXPECT_EQ(rig.driver.Writes.size(), 4u);
    EXPECT_EQ(rig.sink.Frames.size(), 1u);
}

TEST(ControlThread, PreviewStepsThroughTheEditorLines) {
    TThreadRig rig;
    rig.catalogue.Declare("state.so", {"$state"});
    std::string state = "#skip";
    rig.catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall&) { return state; });
    std::array<std::string, 8> lines{"$state[,,,4]$", "x"};

    // A skipped screen says so on row 1; the preview's lines scroll from position 1 on.
    const std::string notice = "Этот экран будет пропущен!"_cp1251;
    auto rows = rig.thread.PreviewStep(lines, true);
    EXPECT_EQ(rows, (std::vector<std::string>{notice.substr(0, 16), Padded("x", 16)}));
    rows = rig.thread.PreviewStep(lines, false);
    EXPECT_EQ(rows[0], notice.substr(1, 16));
    EXPECT_EQ(rig.driver.Writes.size(), 4u);

    // The "#enum" marker is taken out of the line.
    state = "#enum5";
    lines[0] = "$state[,,,4]$ rest";
    rows = rig.thread.PreviewStep(lines, true);
    EXPECT_EQ(rows[0], Padded(" rest", 16));

    // The screen form brings the alignments along.
    TJobScreen screen;
    screen.Line = {"left", "right"};
    screen.Align = {laLeft, laRight};
    rows = rig.thread.PreviewScreenStep(screen, true);
    EXPECT_EQ(rows, (std::vector<std::string>{Padded("left", 16), "           right"}));
}
