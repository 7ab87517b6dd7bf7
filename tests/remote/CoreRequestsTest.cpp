// Navigation and character requests as the tray, the screen-saver listener and the bus
// services hand them to the program core, with the display thread running.
#include "appcore/ApplicationCore.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace orv;
using namespace orv::test;

namespace {

class TFirstRows final : public TFrameSink, public TCustomCharObserver {
public:
    void ShowFrame(const std::vector<std::string>& rows) override {
        std::lock_guard lock(mutex_);
        if (!rows.empty()) first_ = rows[0];
        ++frames_;
    }
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override {
        std::lock_guard lock(mutex_);
        loaded_.emplace_back(code, rows);
    }
    std::string First() {
        std::lock_guard lock(mutex_);
        return first_;
    }
    std::vector<std::pair<uint8_t, TGlyphRows>> Loaded() {
        std::lock_guard lock(mutex_);
        return loaded_;
    }
    int Frames() {
        std::lock_guard lock(mutex_);
        return frames_;
    }

private:
    std::mutex mutex_;
    int frames_ = 0;
    std::string first_;
    std::vector<std::pair<uint8_t, TGlyphRows>> loaded_;
};

// A core without a panel running a job of three screens that stay until navigated away.
class CoreRequests : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=50\n");
        WriteText(docs / "job.orv3", "[A]\nTimeout=0\nLine1=screen A\nShow=1\n"
                                     "[B]\nTimeout=0\nLine1=screen B\nShow=1\n"
                                     "[C]\nTimeout=0\nLine1=screen C\nShow=1\n");
        ASSERT_TRUE(core.LoadJob(JobPath()));
        core.SetFrameSink(&sink);
        core.SetCustomCharObserver(&sink);
        ASSERT_TRUE(core.StartDisplay());
        ASSERT_TRUE(Shows("screen A"));
    }
    bool Shows(const std::string& text) {
        return WaitUntil([&] { return sink.First().starts_with(text); }, std::chrono::seconds(30));
    }

    std::string JobPath() const { return docs / "job.orv3"; }

    TempDir docs;
    TFirstRows sink; // outlives the core, whose display thread writes to it until it ends
    TApplicationCore core{{.ProgramFolder = docs.Path(), .SettingsPath = docs / "Orvanta3.ini"}};
};

TEST_F(CoreRequests, NavigationWrapsAndIgnoresWhatIsOutsideTheJob) {
    EXPECT_TRUE(core.Navigate({navPrevious}));
    EXPECT_TRUE(Shows("screen C")) << "previous on the first screen goes to the last";
    EXPECT_TRUE(core.Navigate({navNext}));
    EXPECT_TRUE(Shows("screen A")) << "next on the last screen goes to the first";
    EXPECT_TRUE(core.Navigate({navGoTo, 1}));
    EXPECT_TRUE(Shows("screen B"));

    EXPECT_FALSE(core.Navigate({navGoTo, 3})) << "screen count is one past the last screen";
    EXPECT_FALSE(core.Navigate({navGoTo, -1}));
    // Two integers from the bus that name no step are no request at all.
    EXPECT_FALSE(NavigationRequestOf(2, 0));
    EXPECT_FALSE(NavigationRequestOf(-2, 0));
    EXPECT_EQ(NavigationRequestOf(navGoTo, 2)->Screen, 2);
    // Still on B: the next request that counts starts from there.
    EXPECT_TRUE(core.Navigate({navNext}));
    EXPECT_TRUE(Shows("screen C"));
    EXPECT_TRUE(core.Navigate({navGoTo, 0}));
    EXPECT_TRUE(Shows("screen A"));
}

TEST_F(CoreRequests, CharacterRequestsLoadWhileTheJobRunsOn) {
    EXPECT_TRUE(core.Charset(crSwitchVertical, ""));
    EXPECT_EQ(core.Charsets().ActiveCharset(), 1);
    EXPECT_EQ(core.Charsets().CharMap(9), 1) << "glyph vb_0 now sits at code 1";

    EXPECT_TRUE(core.Charset(crDefineRows, "'3;x1F;x11;x11;x11;x11;x11;x11;x1F'"));
    const auto loaded = sink.Loaded();
    ASSERT_FALSE(loaded.empty());
    EXPECT_EQ(loaded.back().first, 3);
    EXPECT_EQ(loaded.back().second, (TGlyphRows{0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F}));

    EXPECT_FALSE(core.Charset(6, ""));
    EXPECT_FALSE(core.Charset(crDefineNamed, "'2;no such glyph'"));
    EXPECT_FALSE(core.Charset(crDefineRows, "not a request"));

    // The display thread was only paused: it still takes navigation.
    EXPECT_TRUE(core.Thread().Running());
    core.Next();
    EXPECT_TRUE(Shows("screen B"));
}

// The daemon's reload (SIGHUP, on the main thread) beside the requests of its bus and web
// threads; the thread checker watches this one.
TEST_F(CoreRequests, ReloadInALoopBesideNavigationAndCharacterRequests) {
    std::atomic<bool> reloading{true};
    std::thread remote([&] {
        for (int32_t i = 0; reloading; ++i) {
            core.Navigate({i % 3 == 0 ? navNext : i % 3 == 1 ? navPrevious : navGoTo, i % 3});
            core.Charset(i % 2 ? crSwitchVertical : crSwitchHorizontal, "");
            // What the web interface reads for each frame: never a job half replaced.
            EXPECT_EQ(core.Thread().ScreenCount(), 3);
        }
    });
    for (int i = 0; i < 40; ++i) {
        std::string error;
        EXPECT_TRUE(core.Reload(JobPath(), &error)) << error;
    }
    reloading = false;
    remote.join();
    EXPECT_TRUE(core.Thread().Running());
    EXPECT_TRUE(core.Navigate({navGoTo, 2}));
    EXPECT_TRUE(Shows("screen C"));
}

// A reload while a screen saver holds the panel leaves the panel to it: the job is read again,
// and its cycle starts when the screen saver ends.
TEST(CoreReload, TheScreenSaverKeepsThePanelOverAReload) {
    TPrivateSessionBus bus;
    if (!bus.Running()) GTEST_SKIP() << "dbus-daemon is not installed";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
    TTestScreenSaverService saver(bus.Address());
    ASSERT_TRUE(WaitUntil([&] { return saver.Ready(); }));

    namespace fs = std::filesystem;
    TempDir docs;
    fs::create_directories(docs / "plugins/hardware");
    fs::create_directories(docs / "plugins/screensaver");
    fs::copy_file(std::string(ORVANTA3_FIXTURE_DIR) + "/DriverFixture.so",
                  docs / "plugins/hardware/drv.so");
    fs::copy_file(std::string(ORVANTA3_FIXTURE_DIR) + "/ScreenSaverFixture.so",
                  docs / "plugins/screensaver/saver.so");
    WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=50\nShow LCD-screensaver=1\n"
                                     "[drv.so]\nActive=1\n[saver.so]\nActive=1\n");
    // A line that scrolls gives a frame every tick while the cycle runs.
    WriteText(docs / "job.orv3", "[A]\nTimeout=0\nLine1=screen A\nLine2=" + std::string(60, 'x') +
                                     "y\nScroll2=0\nShow=1\n");
    TFirstRows sink; // outlives the core's display thread
    TApplicationCore core{{.ProgramFolder = docs.Path(), .SettingsPath = docs / "Orvanta3.ini"}};
    core.SetFrameSink(&sink);
    core.StartUp({});
    ASSERT_TRUE(core.LoadJob(docs / "job.orv3"));
    ASSERT_TRUE(core.StartDisplay());
    ASSERT_TRUE(WaitUntil([&] { return sink.First().starts_with("screen A"); }));

    // Held: no frame comes for several ticks.
    const auto held = [&] {
        const int frames = sink.Frames();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return sink.Frames() == frames;
    };
    saver.SetActive(true);
    ASSERT_TRUE(WaitUntil(held, std::chrono::seconds(30)));
    std::string error;
    EXPECT_TRUE(core.Reload(docs / "job.orv3", &error)) << error;
    EXPECT_TRUE(held()) << "the reload restarted the cycle over the screen saver";

    const int frames = sink.Frames();
    saver.SetActive(false);
    EXPECT_TRUE(WaitUntil([&] { return sink.Frames() > frames; }, std::chrono::seconds(30)));
    core.Shutdown();
}

} // namespace