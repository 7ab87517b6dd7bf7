// The two dot sizes of the virtual display page never both stay at 1.
#include "shell/settings/VirtualScreenPage.h"
#include "tests/support/ModalDialog.h"

#include <QSlider>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

struct DotSizes : ::testing::Test {
    QApplication& app = OffscreenApp();
    TVirtualScreenPage page;
    QSlider& horiz = Child<QSlider>(page, "tbHorizSize");
    QSlider& vert = Child<QSlider>(page, "tbVertSize");
};

} // namespace

TEST_F(DotSizes, SettingOneToOneWhileTheOtherIsOneMovesTheOtherToTwo) {
    page.Fill(TVirtualScreenSettings{.PixelHorizSize = 3, .PixelVertSize = 1});
    horiz.setValue(1);
    EXPECT_EQ(vert.value(), 2);
    EXPECT_EQ(horiz.value(), 1);

    vert.setValue(1);
    EXPECT_EQ(horiz.value(), 2);
    EXPECT_EQ(vert.value(), 1);

    vert.setValue(4);
    horiz.setValue(1);
    EXPECT_EQ(vert.value(), 4) << "only a 1 beside a 1 moves";
}

TEST_F(DotSizes, AFileWithBothAtOneIsShownAndSavedApart) {
    page.Fill(TVirtualScreenSettings{.PixelHorizSize = 1, .PixelVertSize = 1});
    TVirtualScreenSettings taken;
    page.Take(taken);
    EXPECT_EQ(taken.PixelHorizSize, 1);
    EXPECT_EQ(taken.PixelVertSize, 2);
}
