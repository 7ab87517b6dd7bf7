#include "engine/Transitions.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

TScreenRows MakeRows(std::initializer_list<std::string> rows) {
    TScreenRows out;
    std::copy(rows.begin(), rows.end(), out.begin());
    return out;
}

class Transitions : public ::testing::Test {
protected:
    void Play(TRecordingDriver& driver, int effect, int32_t speedMs = 200) {
        player.Play(&driver, oldRows, newRows, effect, speedMs);
    }

    TFakeClock clock;
    TScriptedRandom random{{0}};
    TTransitionPlayer player{clock, random};
    TScreenRows oldRows = MakeRows({"ABCDEFGHIJKLMNOP", "abcdefghijklmnop"});
    TScreenRows newRows = MakeRows({"0123456789012345", "zyxwvutsrqponmlk"});
};

} // namespace

TEST_F(Transitions, TimingsOnA16x2Display) {
    TRecordingDriver dissolve, slide, scroll;
    Play(dissolve, teDissolve);
    EXPECT_EQ(dissolve.Writes.size(), 32u);
    EXPECT_EQ(clock.Sleeps, std::vector<int64_t>(32, 6));

    clock.Sleeps.clear();
    Play(slide, teSlide);
    EXPECT_EQ(slide.Writes.size(), 64u);
    EXPECT_EQ(clock.Sleeps, std::vector<int64_t>(64, 3));

    clock.Sleeps.clear();
    Play(scroll, teScrollUp);
    EXPECT_EQ(scroll.Writes.size(), 4u);
    EXPECT_EQ(clock.Sleeps, std::vector<int64_t>(4, 50));

    for (const auto* d : {&dissolve, &slide, &scroll})
        for (const auto& w : d->Writes) {
            EXPECT_EQ(w.Col, 1);
            EXPECT_EQ(w.Text.size(), 16u);
        }
}

TEST_F(Transitions, DissolveReplacesEveryCellOnceInRandomOrder) {
    TRecordingDriver driver;
    Play(driver, teDissolve);
    // Picking the first unused column each time: column 0 first, then the last ones.
    EXPECT_EQ(driver.Writes[0].Text, "0BCDEFGHIJKLMNOP");
    EXPECT_EQ(driver.Writes[1].Text, "zbcdefghijklmnop");
    EXPECT_EQ(driver.Writes[2].Text, "0BCDEFGHIJKLMNO5");
    EXPECT_EQ(driver.Writes[30].Text, newRows[0]);
    EXPECT_EQ(driver.Writes[31].Text, newRows[1]);

    // Whatever the random source says, each cell changes exactly once.
    TScriptedRandom wild{{7, 4000000000u, 3, 1, 99}};
    TTransitionPlayer other(clock, wild);
    TRecordingDriver second;
    other.Play(&second, oldRows, newRows, teDissolve, 200);
    for (size_t i = 2; i < second.Writes.size(); ++i) {
        const auto& before = second.Writes[i - 2].Text;
        const auto& after = second.Writes[i].Text;
        int changed = 0;
        for (size_t c = 0; c < 16; ++c) changed += before[c] != after[c];
        EXPECT_LE(changed, 1);
    }
    EXPECT_EQ(second.Writes[30].Text, newRows[0]);
}

TEST_F(Transitions, SlideMovesOldRowsOutRightAndNewRowsInFromTheRight) {
    TRecordingDriver driver;
    Play(driver, teSlide);
    EXPECT_EQ(driver.Writes[0].Text, " ABCDEFGHIJKLMNO");
    EXPECT_EQ(driver.Writes[0].Row, 1);
    EXPECT_EQ(driver.Writes[1].Row, 2);
    EXPECT_EQ(driver.Writes[30].Text, std::string(16, ' '));
    EXPECT_EQ(driver.Writes[32].Text, std::string(15, ' ') + "0");
    EXPECT_EQ(driver.Writes[62].Text, newRows[0]);
    EXPECT_EQ(driver.Writes[63].Text, newRows[1]);
}

TEST_F(Transitions, ScrollUpPushesTheOldRowsOutAtTheTop) {
    TRecordingDriver driver;
    Play(driver, teScrollUp);
    ASSERT_EQ(driver.Writes.size(), 4u);
    EXPECT_EQ(driver.Writes[0].Text, oldRows[1]);
    EXPECT_EQ(driver.Writes[1].Text, newRows[0]);
    EXPECT_EQ(driver.Writes[2].Text, newRows[0]);
    EXPECT_EQ(driver.Writes[3].Text, newRows[1]);

    TRecordingDriver tall(4, 20);
    clock.Sleeps.clear();
    player.Play(&tall, MakeRows({"o1", "o2", "o3", "o4"}), MakeRows({"n1", "n2", "n3", "n4"}),
                teScrollUp, 200);
    ASSERT_EQ(tall.Writes.size(), 16u);
    EXPECT_EQ(clock.Sleeps.front(), 12) << "200 div 16";
    auto row = [&](size_t i) { return tall.Writes[i].Text.substr(0, 2); };
    EXPECT_EQ(row(4) + row(5) + row(6) + row(7), "o3o4n1n2");
    EXPECT_EQ(row(12) + row(13) + row(14) + row(15), "n1n2n3n4");
}

TEST_F(Transitions, RowsAreFittedToTheDisplayWidth) {
    oldRows = MakeRows({"abc", std::string(30, 'x')});
    newRows = MakeRows({std::string(30, 'y'), ""});
    TRecordingDriver driver;
    Play(driver, teScrollUp);
    EXPECT_EQ(driver.Writes[0].Text, std::string(16, 'x'));
    EXPECT_EQ(driver.Writes[1].Text, std::string(16, 'y'));
    EXPECT_EQ(driver.Writes[3].Text, std::string(16, ' '));
}

TEST_F(Transitions, NothingHappensWithoutADriverAnEffectOrASupportedSize) {
    player.Play(nullptr, oldRows, newRows, teDissolve, 200);
    TRecordingDriver driver, wide(2, 41), tall(9, 16), empty(0, 0);
    Play(driver, 3);
    Play(driver, teNone);
    Play(wide, teDissolve);
    Play(tall, teSlide);
    Play(empty, teScrollUp);
    EXPECT_TRUE(driver.Writes.empty());
    EXPECT_TRUE(wide.Writes.empty());
    EXPECT_TRUE(tall.Writes.empty());
    EXPECT_TRUE(empty.Writes.empty());
    EXPECT_TRUE(clock.Sleeps.empty());

    TRecordingDriver fast;
    Play(fast, teDissolve, 0);
    EXPECT_EQ(fast.Writes.size(), 32u) << "speed 0 still plays, without waiting";
    EXPECT_FALSE(IsTransitionImplemented(3));
    EXPECT_TRUE(IsTransitionImplemented(teScrollUp));
}
