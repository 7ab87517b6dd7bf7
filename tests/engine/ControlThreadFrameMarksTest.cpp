// The marks the display thread puts around the driver writes of each tick, so that a driver can
// send a frame's rows to its panel as one update.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

using namespace orv;
using namespace orv::test;

namespace {

// "[" and "]" for the marks, "w" for a row written.
struct TMarkLog {
    explicit TMarkLog(TThreadRig& rig) {
        rig.thread.SetFrameMarks([this] { Text += '['; }, [this] { Text += ']'; });
        rig.driver.OnWrite = [this] { Text += 'w'; };
    }
    std::string Text;
};

TEST(ControlThreadFrameMarks, EveryRowATickWritesLiesBetweenItsMarks) {
    TThreadRig rig(2, 8);
    TMarkLog log(rig);
    rig.AddScreen({"ABCDEFGHIJ", "fixed"}, 0); // scrolls from the third tick on
    rig.RunFor(250 * 4);
    EXPECT_EQ(log.Text, "[ww][][w][w]");
}

TEST(ControlThreadFrameMarks, TheEndMarkFollowsAFailingDriver) {
    TThreadRig rig(2, 8);
    TMarkLog log(rig);
    bool failed = false;
    rig.driver.OnWrite = [&] {
        log.Text += 'w';
        if (!std::exchange(failed, true)) throw std::runtime_error("driver");
    };
    rig.AddScreen({"one", "two"}, 0);
    rig.RunFor(250 * 2);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(log.Text.starts_with("[w][ww]")) << log.Text;
}

TEST(ControlThreadFrameMarks, APanelThatIsOffGetsNoMarks) {
    TThreadRig rig;
    TMarkLog log(rig);
    rig.driver.Active = false;
    rig.AddScreen({"text"}, 1);
    rig.RunFor(1000);
    EXPECT_FALSE(rig.sink.Frames.empty());
    EXPECT_EQ(log.Text, "");
}

} // namespace
