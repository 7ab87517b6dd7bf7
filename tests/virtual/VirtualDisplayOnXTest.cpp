// The virtual display on a real X server (Xvfb), where the panel paints itself straight to its
// window: what the server shows is read back from it.
#include "virtual/VirtualDisplayWindow.h"

#include "host/Settings.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"
#include "virtual/LCDLabel.h"
#include "virtual/VirtualDisplayFeed.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <thread>

namespace orv::test {
namespace {

// One application on one private X server for the whole test program; null without Xvfb.
QApplication* XApp() {
    static TempDir logs;
    static std::unique_ptr<TXvfbServer> server;
    static QApplication* app = [] () -> QApplication* {
        if (!ProgramExists("Xvfb")) return nullptr;
        server = std::make_unique<TXvfbServer>(logs.Path() + "/xvfb.log");
        if (server->Display().empty()) return nullptr;
        ::setenv("DISPLAY", server->Display().c_str(), 1);
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

// What the X server shows in the panel's window, and the panel as Qt draws it.
QImage OnScreen(TLCDLabel& lcd) {
    QCoreApplication::processEvents();
    return lcd.screen()->grabWindow(lcd.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Drawn(TLCDLabel& lcd) { return lcd.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Counts the paint events of one widget.
class TPaints : public QObject {
public:
    explicit TPaints(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Count;
        return false;
    }
    int Count = 0;
};

TEST(VirtualDisplayOnX, FramesGoStraightToTheScreenAndAnUncoveredPanelIsWholeAgain) {
    if (!XApp()) GTEST_SKIP() << "no Xvfb to run on";
    TempDir dir;
    TSettings settings{dir.Path() + "/Orvanta3.ini"};
    TfrmVirtualDisplay window(settings, {}, nullptr, dir.Path() + "/Orvanta3.lng");
    window.move(100, 100);
    window.SetGeometry(2, 6);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TLCDLabel& lcd = window.Screen();
    ASSERT_EQ(lcd.paintEngine(), nullptr) << "the panel paints itself on X";
    TVirtualDisplayFeed feed;
    feed.SetDisplay(&window);

    const auto frame = [&](std::vector<std::string> rows) {
        std::thread display([&] { feed.ShowFrame(rows); });
        display.join();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    };
    frame({"Hello,", "world!"});
    ASSERT_EQ(lcd.Caption(), "Hello,world!");
    // The first frame may come with the window's first paint; later ones need none.
    QTest::qWait(50);
    EXPECT_EQ(OnScreen(lcd), Drawn(lcd));

    TPaints paints(lcd);
    frame({"Hello,", "W0rld?"}); // two runs on one line
    const TGlyphRows arrow{0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x00};
    feed.CustomCharLoaded(1, arrow);
    frame({"\x01ello,", "W0rld?"});
    EXPECT_EQ(paints.Count, 0) << "frames are put, not painted by Qt";
    EXPECT_EQ(OnScreen(lcd), Drawn(lcd));

    // Covered and uncovered, the server asks for the panel again: it is whole, latest frame.
    QWidget cover;
    cover.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    cover.setGeometry(QRect(lcd.mapToGlobal(QPoint(0, 0)), lcd.size()));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    frame({"under ", "cover "});
    cover.hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.Count > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(OnScreen(lcd), Drawn(lcd));

    // A change of colour repaints every cell, through the same window.
    window.SetOnColour(0x0000FF);
    QTest::qWait(50);
    const QImage red = OnScreen(lcd);
    EXPECT_EQ(red, Drawn(lcd));
    const QImage firstCell = red.copy(QRect(lcd.CellOrigin(0, 0), lcd.CellSize()));
    EXPECT_GT(std::count(reinterpret_cast<const QRgb*>(firstCell.constBits()),
                         reinterpret_cast<const QRgb*>(firstCell.constBits()) +
                             firstCell.sizeInBytes() / 4,
                         qRgb(255, 0, 0)),
              0)
        << "the 'u' of \"under\" shows red dots";
    feed.SetDisplay(nullptr);
}

} // namespace
} // namespace orv::test
