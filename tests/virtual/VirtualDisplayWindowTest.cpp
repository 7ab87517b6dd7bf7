#include "virtual/VirtualDisplayWindow.h"

#include "base/IniFile.h"
#include "host/Settings.h"
#include "tests/support/GuiWork.h"
#include "tests/support/TempDir.h"
#include "tests/support/ModalDialog.h"
#include "virtual/LCDLabel.h"
#include "virtual/VirtualDisplayFeed.h"

#include <QBackingStore>
#include <QPaintEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <utility>
#include <vector>

namespace orv::test {
namespace {

struct TWindowRig {
    QApplication& app = OffscreenApp();
    TempDir dir;
    TSettings settings{dir.Path() + "/Orvanta3.ini"};
    std::vector<std::pair<int32_t, int32_t>> steps;

    std::unique_ptr<TfrmVirtualDisplay> Open() {
        return std::make_unique<TfrmVirtualDisplay>(
            settings,
            [this](TNavigationRequest request) {
                steps.emplace_back(request.Step, request.Screen);
            },
            nullptr, dir.Path() + "/Orvanta3.lng");
    }
};

TEST(VirtualDisplayWindow, TakesTheSizeOfHD44780AndKS0108Panels) {
    TWindowRig rig;
    auto window = rig.Open();
    window->ApplySettings(TVirtualScreenSettings{}); // pixels 2 x 2
    window->SetGeometry(4, 20);
    EXPECT_EQ(window->Screen().size(), QSize(326, 106));
    EXPECT_EQ(window->size(), QSize(378, 138));
    window->SetGeometry(8, 21); // the graphic panel as characters
    EXPECT_EQ(window->Screen().size(), QSize(342, 206));
    EXPECT_EQ(window->size(), QSize(394, 238));
    window->SetPixelWidth(1);
    EXPECT_EQ(window->Screen().size().width(), 2 * 3 + 20 * 2 + 21 * 9 + 2);
    // The buttons stay inside the window.
    for (auto* button : window->findChildren<QToolButton*>())
        EXPECT_TRUE(window->rect().contains(button->geometry()))
            << button->objectName().toStdString();
}

TEST(VirtualDisplayWindow, FramesAndCharactersFromAnotherThreadAppearOnceTheEventLoopRuns) {
    TWindowRig rig;
    auto window = rig.Open();
    window->SetGeometry(2, 4);
    TVirtualDisplayFeed feed;
    const TGlyphRows arrow{0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00};
    feed.CustomCharLoaded(3, arrow); // before any window: kept
    feed.SetDisplay(window.get());
    std::thread display([&] {
        feed.CustomCharLoaded(2, arrow);
        feed.ShowFrame({"ab\x02"
                        "c",
                        "WXYZ"});
    });
    display.join();
    EXPECT_EQ(window->Screen().Caption(), ""); // nothing is painted from the other thread
    EXPECT_NE(window->Screen().Font()[2], arrow);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Screen().Caption(), "ab\x02"
                                          "cWXYZ");
    EXPECT_EQ(window->Screen().Font()[2], arrow);
    EXPECT_EQ(window->Screen().Font()[3], arrow);

    // A window opened later gets the characters loaded so far and the latest frame, sent
    // while there was none.
    feed.SetDisplay(nullptr);
    feed.ShowFrame({"kept"});
    QCoreApplication::processEvents();
    auto second = rig.Open();
    feed.SetDisplay(second.get());
    EXPECT_EQ(second->Screen().Font()[2], arrow);
    EXPECT_EQ(second->Screen().Caption(), "kept");
    window.reset(); // a destroyed window is noticed
    feed.ShowFrame({"next"});
    QCoreApplication::processEvents();
    EXPECT_EQ(second->Screen().Caption(), "next");
}

TEST(VirtualDisplayWindow, OnlyChangedFramesWakeTheGuiAndOnlyChangedCellsArePainted) {
    TWindowRig rig;
    auto window = rig.Open();
    window->SetGeometry(2, 4);
    window->show();
    TVirtualDisplayFeed feed;
    feed.SetDisplay(window.get());
    TLCDLabel& lcd = window->Screen();
    TGuiWork work(lcd);
    const auto settle = [] {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    };
    feed.ShowFrame({"abcd", "efgh"});
    settle();
    EXPECT_EQ(lcd.Caption(), "abcdefgh");

    // The same frame again, ten times from the display thread: no call reaches the GUI.
    work.Reset();
    std::thread same([&] {
        for (int i = 0; i < 10; ++i) feed.ShowFrame({"abcd", "efgh"});
    });
    same.join();
    settle();
    EXPECT_EQ(work.Calls, 0);

    // Three frames before the GUI thread runs: one call, the latest frame, and only the cells
    // that changed against what was shown are painted.
    work.Reset();
    std::thread three([&] {
        feed.ShowFrame({"abXd", "efgh"});
        feed.ShowFrame({"abcd", "efgY"});
        feed.ShowFrame({"abcd", "efgZ"});
    });
    three.join();
    settle();
    EXPECT_EQ(work.Calls, 1);
    EXPECT_EQ(lcd.Caption(), "abcdefgZ");
    const QRect lastCell(lcd.CellOrigin(1, 3), lcd.CellSize());
    EXPECT_EQ(work.Painted, QRegion(lastCell)) << "only the last cell of the second row";

    // A user-defined character repaints only the cells that show it.
    work.Reset();
    const TGlyphRows block{0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    feed.ShowFrame({"a\x01"
                    "cd",
                    "efgZ"});
    settle();
    work.Reset();
    feed.CustomCharLoaded(1, block);
    settle();
    EXPECT_EQ(work.Painted, QRegion(QRect(lcd.CellOrigin(0, 1), lcd.CellSize())));

    // Changed cells side by side are painted as one rectangle, the spacing between them
    // included; what the window holds then is the whole panel as drawn anew.
    work.Reset();
    feed.ShowFrame({"aXYd", "eQgZ"});
    settle();
    const QPoint run2 =
        lcd.CellOrigin(0, 2) + QPoint(lcd.CellSize().width(), lcd.CellSize().height());
    EXPECT_EQ(work.Painted, QRegion(QRect(lcd.CellOrigin(0, 1), run2 - QPoint(1, 1))) +
                                QRegion(QRect(lcd.CellOrigin(1, 1), lcd.CellSize())));
    QPaintDevice* shown = window->backingStore()->paintDevice();
    ASSERT_EQ(shown->devType(), int{QInternal::Image});
    const QImage held = static_cast<QImage*>(shown)
                            ->copy(QRect(lcd.mapTo(window.get(), QPoint()), lcd.size()))
                            .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(held, lcd.grab().toImage().convertToFormat(QImage::Format_RGB32));

    // Hidden, the window costs nothing; shown again, it shows the latest frame at once.
    window->hide();
    settle();
    work.Reset();
    feed.ShowFrame({"gone", "away"});
    feed.CustomCharLoaded(2, block);
    settle();
    EXPECT_EQ(work.Calls, 0);
    EXPECT_EQ(lcd.Caption(), "aXYdeQgZ");
    window->show();
    settle();
    EXPECT_EQ(lcd.Caption(), "goneaway");
    EXPECT_EQ(lcd.Font()[2], block);
}

TEST(VirtualDisplayWindow, ButtonsStepTheScreensAndClosingOnlyHides) {
    TWindowRig rig;
    auto window = rig.Open();
    window->show();
    window->findChild<QToolButton*>("btnNext")->click();
    window->findChild<QToolButton*>("btnPrev")->click();
    EXPECT_EQ(rig.steps, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {-1, 0}}));
    window->findChild<QToolButton*>("btnClose")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(VirtualDisplayWindow, OpensAtTheSavedPositionAndSavesItWhenDestroyed) {
    TWindowRig rig;
    rig.settings.VirtualScreen.HorizPosition = 120;
    rig.settings.VirtualScreen.VertPosition = 45;
    auto window = rig.Open();
    EXPECT_EQ(window->pos(), QPoint(120, 45));
    window->move(300, 200);
    window.reset();
    const TIniFile ini(rig.settings.Path());
    EXPECT_EQ(ini.ReadInteger("Virtual screen", "Horiz. position", 0), 300);
    EXPECT_EQ(ini.ReadInteger("Virtual screen", "Vert. position", 0), 200);

    TSettings reread(rig.settings.Path());
    reread.ReadMain();
    TfrmVirtualDisplay again(reread, {}, nullptr, rig.dir.Path() + "/none.lng");
    EXPECT_EQ(again.pos(), QPoint(300, 200));
}

TEST(VirtualDisplayWindow, DraggedNearAScreenEdgeItSnapsToIt) {
    const QRect screen(0, 0, 1024, 768);
    const int maximised = 740; // above a panel at the bottom
    EXPECT_EQ(SnapToScreenEdges(QRect(5, 300, 378, 138), screen, maximised), QPoint(0, 300));
    EXPECT_EQ(SnapToScreenEdges(QRect(400, 9, 378, 138), screen, maximised), QPoint(400, 0));
    EXPECT_EQ(SnapToScreenEdges(QRect(1024 - 378 - 5, 300, 378, 138), screen, maximised),
              QPoint(1024 - 378, 300));
    EXPECT_EQ(SnapToScreenEdges(QRect(200, 700, 378, 138), screen, maximised),
              QPoint(200, 740 - 138));
    EXPECT_EQ(SnapToScreenEdges(QRect(200, 300, 378, 138), screen, maximised), QPoint(200, 300));
    // A second screen to the right: its own edges.
    EXPECT_EQ(SnapToScreenEdges(QRect(1030, 300, 378, 138), QRect(1024, 0, 1280, 1024), 1024),
              QPoint(1024, 300));
}

TEST(VirtualDisplayWindow, TextsComeFromTheLanguageFile) {
    TWindowRig rig;
    {
        std::ofstream(rig.dir.Path() + "/Orvanta3.lng")
            << "[English]\n3_1=Virtual display\n3_50022=Close the virtual display\n";
    }
    rig.settings.Common.Language = "English";
    auto window = rig.Open();
    EXPECT_EQ(window->windowTitle(), "Virtual display");
    EXPECT_EQ(window->findChild<QToolButton*>("btnClose")->toolTip(), "Close the virtual display");
    EXPECT_EQ(window->findChild<QToolButton*>("btnNext")->toolTip().toStdString(),
              "Нажмите эту кнопку, чтобы перейти к следующему экрану");

    // The shipped file translates every text of the window.
    TfrmVirtualDisplay shipped(rig.settings, {}, nullptr, ORVANTA3_OUTPUT_DIR "/Orvanta3.lng");
    EXPECT_EQ(shipped.windowTitle(), "Orvanta3: virtual display");
    for (auto* button : shipped.findChildren<QToolButton*>())
        EXPECT_TRUE(button->toolTip().startsWith("Click this button"))
            << button->objectName().toStdString();
}

} // namespace
} // namespace orv::test
