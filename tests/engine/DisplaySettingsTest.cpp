#include "engine/DisplaySettings.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(DisplaySettings, TakeTheThreadsValuesFromTheCommonSettings) {
    TCommonSettings common;
    common.BaseTimeoutMs = 60;
    common.LongDelayPeriod = 5;
    common.CalculateTimeForLongStrings = true;
    common.SubScreenShowTimeSec = 7;
    common.ScrollDelimiter = "<>";
    common.UseScrollDelimiter = true;
    common.TransitionSpeedMs = 300;

    const TDisplaySettings display(common);
    EXPECT_EQ(display.BaseTimeoutMs, 60);
    EXPECT_EQ(display.LongDelayPeriod, 5);
    EXPECT_TRUE(display.CalculateTimeForLongStrings);
    EXPECT_EQ(display.SubScreenShowTimeS, 7);
    EXPECT_EQ(display.ScrollDelimiter, "<>");
    EXPECT_TRUE(display.UseScrollDelimiter);
    EXPECT_EQ(display.TransitionSpeedMs, 300);
}
