// The virtual display on a real X server (Xvfb), where the panel paints itself straight to its
// window: what the server shows is read back from it.
#include "virtual/VirtualDisplayWindow.h"

#include "host/Settings.h"
#include "tests/support/GuiWork.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"
#include "virtual/LCDLabel.h"
#include "virtual/VirtualDisplayFeed.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

namespace orv::test {
namespace {

// One private X server for the whole test program, and one application on it; null without
// Xvfb.
TXvfbServer* XServer() {
    static TempDir logs;
    static std::unique_ptr<TXvfbServer> server = [] {
        std::unique_ptr<TXvfbServer> started;
        if (ProgramExists("Xvfb"))
            started = std::make_unique<TXvfbServer>(logs.Path() + "/xvfb.log");
        return started && !started->Display().empty() ? std::move(started) : nullptr;
    }();
    return server.get();
}

QApplication* XApp() {
    static QApplication* app = []() -> QApplication* {
        if (!XServer()) return nullptr;
        ::setenv("DISPLAY", XServer()->Display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("QT_XCB_NO_MITSHM", "1", 1);
        ::unsetenv("QT_SCALE_FACTOR");
        static int argc = 1;
        static char name[] = "virtual_display_x_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv); // kept: Qt's globals may be gone at exit
    }();
    return app;
}

// What the X server shows in the panel's window, and the panel as Qt draws it (a paint event
// of its own).
QImage OnScreen(TLCDLabel& lcd) {
    return lcd.screen()->grabWindow(lcd.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Drawn(TLCDLabel& lcd) { return lcd.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The panel puts through a connection of its own, which the server may read a moment after
// the one the test asks on: waits (without running the GUI thread) until the window shows
// expected, and says what it showed last.
QImage ShownSoon(TLCDLabel& lcd, const QImage& expected) {
    QImage shown = OnScreen(lcd);
    for (int i = 0; i < 500 && shown != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        shown = OnScreen(lcd);
    }
    return shown;
}

// A virtual display window shown on the X server, fed by a feed of its own.
struct TShownDisplay {
    TShownDisplay(int rows, int cols) {
        window.move(100, 100);
        window.SetGeometry(rows, cols);
        window.show();
        Exposed = QTest::qWaitForWindowExposed(&window);
        feed.SetDisplay(&window);
    }
    ~TShownDisplay() { feed.SetDisplay(nullptr); }

    TempDir dir;
    TSettings settings{dir.Path() + "/Orvanta3.ini"};
    TfrmVirtualDisplay window{settings, {}, nullptr, dir.Path() + "/Orvanta3.lng"};
    TVirtualDisplayFeed feed;
    bool Exposed = false;
};

TEST(VirtualDisplayOnX, FramesGoStraightToTheScreenAndAnUncoveredPanelIsWholeAgain) {
    if (!XApp()) GTEST_SKIP() << "no Xvfb to run on";
    TShownDisplay display(2, 6);
    ASSERT_TRUE(display.Exposed);
    TfrmVirtualDisplay& window = display.window;
    TVirtualDisplayFeed& feed = display.feed;
    TLCDLabel& lcd = window.Screen();
    ASSERT_NE(lcd.OnScreen(), nullptr) << "the panel paints itself on X";

    const auto frame = [&](std::vector<std::string> rows) {
        std::thread displayThread([&] { feed.ShowFrame(rows); });
        displayThread.join();
    };
    TGuiWork work(lcd);
    int grabs = 0; // each a paint event
    const auto drawn = [&] {
        ++grabs;
        return Drawn(lcd);
    };
    frame({"Hello,", "world!"});
    QTest::qWait(50);
    EXPECT_EQ(lcd.Caption(), "Hello,world!");
    const QImage hello = drawn();
    EXPECT_EQ(ShownSoon(lcd, hello), hello);

    // Frames of characters drawn before are on the screen before the GUI thread runs at all;
    // a character not drawn yet takes one pass of it.
    work.Calls = 0;
    frame({"world!", "Hello,"});
    EXPECT_EQ(lcd.Caption(), "world!Hello,");
    const QImage swapped = drawn();
    EXPECT_EQ(ShownSoon(lcd, swapped), swapped);
    frame({"Hello,", "W0rld?"});
    EXPECT_EQ(lcd.Caption(), "world!Hello,");
    EXPECT_EQ(work.Calls, 0);
    QTest::qWait(20);
    EXPECT_EQ(lcd.Caption(), "Hello,W0rld?");
    EXPECT_EQ(work.Calls, 1);
    const QImage shown = drawn();
    frame({"world!", "Hello,"});
    EXPECT_EQ(ShownSoon(lcd, swapped), swapped);
    frame({"Hello,", "W0rld?"});
    EXPECT_EQ(ShownSoon(lcd, shown), shown);
    EXPECT_EQ(work.Calls, 1);
    // A user-defined character goes through the GUI thread, and the frame after it with it.
    const TGlyphRows arrow{0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00};
    std::thread loads([&] {
        feed.CustomCharLoaded(1, arrow);
        feed.ShowFrame({"\x01ello,", "W0rld?"});
    });
    loads.join();
    EXPECT_EQ(lcd.Caption(), "Hello,W0rld?");
    QTest::qWait(20);
    EXPECT_EQ(lcd.Caption(), "\x01ello,W0rld?");
    frame({"\x01ello,", "W0rld!"});
    const QImage withArrow = drawn();
    EXPECT_NE(withArrow, shown);
    EXPECT_EQ(ShownSoon(lcd, withArrow), withArrow);
    EXPECT_EQ(work.Paints, grabs) << "frames are put, not painted by Qt";
    EXPECT_EQ(work.Calls, 2);
    EXPECT_EQ(swapped.copy(QRect(lcd.CellOrigin(1, 0), lcd.CellSize())),
              shown.copy(QRect(lcd.CellOrigin(0, 0), lcd.CellSize())))
        << "the same character looks the same wherever it is put";

    // Covered and uncovered, the server asks for the panel again: it is whole, latest frame.
    QWidget cover;
    cover.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    cover.setGeometry(QRect(lcd.mapToGlobal(QPoint(0, 0)), lcd.size()));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    frame({"under ", "cover "});
    cover.hide();
    work.Paints = grabs = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.Paints > 0; }, 5000));
    QTest::qWait(50);
    const QImage uncovered = Drawn(lcd);
    EXPECT_EQ(ShownSoon(lcd, uncovered), uncovered);

    // A change of colour repaints every cell, through the same window.
    window.SetOnColour(0x0000FF);
    QTest::qWait(50);
    const QImage red = Drawn(lcd);
    EXPECT_EQ(ShownSoon(lcd, red), red);
    const QImage firstCell = red.copy(QRect(lcd.CellOrigin(0, 0), lcd.CellSize()));
    EXPECT_GT(std::count(reinterpret_cast<const QRgb*>(firstCell.constBits()),
                         reinterpret_cast<const QRgb*>(firstCell.constBits()) +
                             firstCell.sizeInBytes() / 4,
                         qRgb(255, 0, 0)),
              0)
        << "the 'u' of \"under\" shows red dots";
    // A picture of the whole window (the screenshots of the manual) holds the panel too.
    EXPECT_EQ(window.grab()
                  .toImage()
                  .convertToFormat(QImage::Format_RGB32)
                  .copy(QRect(lcd.mapTo(&window, QPoint(0, 0)), lcd.size())),
              red);
}

// In a window of 32-bit (translucent) pixels the panel cannot put its own: Qt paints it, and
// the frames go through the GUI thread as elsewhere.
TEST(VirtualDisplayOnX, InAWindowItCannotPutToQtPaintsThePanel) {
    if (!XApp()) GTEST_SKIP() << "no Xvfb to run on";
    QWidget window;
    window.setAttribute(Qt::WA_TranslucentBackground);
    auto* lcd = new TLCDLabel(&window);
    lcd->SetTextLines(2);
    lcd->SetNoOfChars(4);
    lcd->SetCaption("abcd");
    window.resize(lcd->size());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    if (lcd->windowHandle()->format().alphaBufferSize() <= 0)
        GTEST_SKIP() << "this X server gave the window no 32-bit pixels";
    EXPECT_EQ(lcd->OnScreen(), nullptr);
    lcd->SetCaption("abcdefgh");
    EXPECT_EQ(lcd->Caption(), "abcdefgh");
    QTest::qWait(50);
    EXPECT_EQ(OnScreen(*lcd), Drawn(*lcd));
}

// A server that stops reading (stopped here; far away and stalled elsewhere) never holds up
// the display thread: once the panel's connection is full, frames wait for the GUI thread.
TEST(VirtualDisplayOnX, AServerThatStopsReadingNeverHoldsUpTheDisplayThread) {
    if (!XApp()) GTEST_SKIP() << "no Xvfb to run on";
    TShownDisplay display(4, 20);
    ASSERT_TRUE(display.Exposed);
    TVirtualDisplayFeed& feed = display.feed;
    // One line changes a frame, in characters drawn before: each frame may go straight out.
    const std::string digits = "01234567890123456789", spaced = "0123456789          ";
    const auto rows = [&](int n) {
        std::string line = digits.substr(size_t(n % 10), 20 - size_t(n % 10));
        line.resize(20, ' ');
        return std::vector<std::string>{line, spaced, spaced, spaced};
    };
    feed.ShowFrame(rows(0));
    QTest::qWait(100);

    ::kill(XServer()->Pid(), SIGSTOP);
    auto frames = std::async(std::launch::async, [&] {
        for (int n = 1; n <= 400; ++n) feed.ShowFrame(rows(n));
    });
    const bool finished = frames.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    ::kill(XServer()->Pid(), SIGCONT);
    frames.wait();
    EXPECT_TRUE(finished) << "the display thread waited for the X server";

    // Reading again, the server gets the latest frame.
    QTest::qWait(100);
    TLCDLabel& lcd = display.window.Screen();
    EXPECT_EQ(lcd.Caption(), rows(400)[0] + spaced + spaced + spaced);
    const QImage latest = Drawn(lcd);
    EXPECT_EQ(ShownSoon(lcd, latest), latest);
}

} // namespace
} // namespace orv::test
