// A new window beside another on a 1000 x 700 area that starts below a 30-pixel panel.
#include "base/ui/PlaceBeside.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

TEST(PlaceBeside, RightThenLeftThenBelowAlwaysInsideTheArea) {
    const QRect area(0, 30, 1000, 700);
    const QSize size(300, 100);
    // Room on the right.
    EXPECT_EQ(PlaceBeside(QRect(50, 40, 400, 300), size, area, 10), QPoint(460, 40));
    // None on the right: on the left.
    EXPECT_EQ(PlaceBeside(QRect(600, 40, 300, 300), size, area, 10), QPoint(290, 40));
    // Neither: below, moved in from the bottom edge when it would stick out.
    EXPECT_EQ(PlaceBeside(QRect(100, 100, 800, 200), size, area, 10), QPoint(100, 310));
    EXPECT_EQ(PlaceBeside(QRect(100, 100, 800, 600), size, area, 10), QPoint(100, 630));
    // A window that is partly off the screen: the new one still lies inside.
    EXPECT_EQ(PlaceBeside(QRect(-200, -50, 300, 200), size, area, 10), QPoint(110, 30));
    // Larger than the area: its top-left corner stays inside.
    EXPECT_EQ(KeepInside(QPoint(5000, -40), QSize(1200, 900), area), QPoint(0, 30));
}

} // namespace
} // namespace orv::test
