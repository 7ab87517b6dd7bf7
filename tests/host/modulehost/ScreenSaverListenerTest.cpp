#include "host/modulehost/ScreenSaverListener.h"

#include "tests/support/PrivateSessionBus.h"
#include "tests/host/modulehost/TestSupport.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using K = TModuleKind;
using namespace std::chrono_literals;

class TRecordingClient : public TScreenSaverClient {
public:
    void SuspendDisplayThread() override { Orvanta3TestRecord("client:Suspend"); }
    void ResumeDisplayThread() override { Orvanta3TestRecord("client:Resume"); }
    int LastCharset() override { return 2; }
    void RestoreCharset(int n) override {
        Orvanta3TestRecord(("client:Restore(" + std::to_string(n) + ")").c_str());
    }
};

class TFlagProbe : public TScreenSaverProbe {
public:
    explicit TFlagProbe(std::atomic<bool>& flag) : flag_(flag) {}
    bool IsScreenSaverActive() override { return flag_; }

private:
    std::atomic<bool>& flag_;
};

// Events from index on.
std::vector<std::string> EventsFrom(size_t index) {
    const auto all = Events();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(index, all.size())), all.end()};
}

class ScreenSaverListenerTest : public ::testing::Test {
protected:
    void Build(bool withDriver, bool withSaver) {
        tree.AddFixture("DriverFixture", K::Driver, "drv.so");
        tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "a_saver.so");
        tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "b_saver.so");
        tree.SetActive("drv.so", withDriver);
        tree.SetActive("a_saver.so", withSaver);
        tree.SetActive("b_saver.so", withSaver);
        host.emplace(tree.Options());
        host->Discover();
        ClearEvents();
    }
    TScreenSaverListenerOptions FlagOptions() {
        TScreenSaverListenerOptions options;
        options.PollInterval = 10ms;
        options.MakeProbe = [this] { return std::make_unique<TFlagProbe>(systemSaver); };
        return options;
    }
    TProgramTree tree;
    std::optional<TModuleHost> host;
    TRecordingClient client;
    std::atomic<bool> systemSaver{false};
};

TEST_F(ScreenSaverListenerTest, TheModuleRunsWhileTheSystemScreenSaverRuns) {
    Build(true, true);
    TScreenSaverListener listener(*host, client, FlagOptions());
    EXPECT_FALSE(listener.Ended());

    for (int round = 0; round < 2; ++round) {
        const size_t before = Events().size();
        systemSaver = true;
        ASSERT_TRUE(WaitUntil([&] { return listener.ModuleRunning(); }));
        ASSERT_TRUE(WaitUntil([&] { return EventsFrom(before).size() >= 3; }));
        // The display thread is paused first; the module draws through the current driver.
        EXPECT_EQ(EventsFrom(before),
                  (std::vector<std::string>{"client:Suspend", "a_saver.so:Start",
                                            "drv.so:WriteText(1,1,saver)@1"}));

        const size_t running = Events().size();
        systemSaver = false;
        ASSERT_TRUE(WaitUntil([&] { return !listener.ModuleRunning(); }));
        ASSERT_TRUE(WaitUntil([&] { return EventsFrom(running).size() >= 3; }));
        EXPECT_EQ(
            EventsFrom(running),
            (std::vector<std::string>{"a_saver.so:Stop", "client:Restore(2)", "client:Resume"}));
    }
    EXPECT_TRUE(EventsWith("b_saver.so").empty()); // only the first module that is on

    listener.RequestTerminate();
    listener.Wait();
    EXPECT_TRUE(listener.Ended());
}

TEST_F(ScreenSaverListenerTest, EndsAtOnceWithoutACurrentDriverOrAModuleThatIsOn) {
    Build(false, true);
    systemSaver = true;
    TScreenSaverListener noDriver(*host, client, FlagOptions());
    EXPECT_TRUE(noDriver.Ended());
    EXPECT_FALSE(noDriver.ModuleRunning());
    EXPECT_TRUE(Events().empty());
}

TEST_F(ScreenSaverListenerTest, EndsAtOnceWithoutAScreenSaverModuleThatIsOn) {
    Build(true, false);
    systemSaver = true;
    TScreenSaverListener noModule(*host, client, FlagOptions());
    EXPECT_TRUE(noModule.Ended());
    EXPECT_TRUE(Events().empty());
}

TEST_F(ScreenSaverListenerTest, TerminatingWhileTheModuleRunsStopsItAndResumesTheDisplay) {
    Build(true, true);
    systemSaver = true;
    auto listener = std::make_unique<TScreenSaverListener>(*host, client, FlagOptions());
    ASSERT_TRUE(WaitUntil([&] { return listener->ModuleRunning(); }));
    const size_t before = Events().size();
    listener.reset();
    EXPECT_EQ(EventsFrom(before), (std::vector<std::string>{"a_saver.so:Stop", "client:Resume"}));
}

TEST_F(ScreenSaverListenerTest, FollowsOrgFreedesktopScreenSaverOnTheSessionBus) {
    TPrivateSessionBus bus;
    if (!bus.Running()) GTEST_SKIP() << "dbus-daemon is not available";
    ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    ScopedEnv display("DISPLAY", "");

    // No service yet: the bus probe gets no answer, the X fallback has no display.
    TSessionBusScreenSaverProbe busProbe;
    EXPECT_FALSE(busProbe.IsScreenSaverActive());
    EXPECT_FALSE(busProbe.Answered());
    TSystemScreenSaverProbe systemProbe;
    EXPECT_FALSE(systemProbe.IsScreenSaverActive());

    TTestScreenSaverService service(bus.Address());
    ASSERT_TRUE(service.Ready());
    service.SetActive(true);
    EXPECT_TRUE(busProbe.IsScreenSaverActive());
    EXPECT_TRUE(busProbe.Answered());
    EXPECT_TRUE(systemProbe.IsScreenSaverActive());
    service.SetActive(false);
    EXPECT_FALSE(systemProbe.IsScreenSaverActive());

    // The listener with its default probe.
    Build(true, true);
    TScreenSaverListenerOptions options;
    options.PollInterval = 20ms;
    TScreenSaverListener listener(*host, client, options);
    ASSERT_TRUE(WaitUntil([&] { return service.Calls() >= 4; }));
    EXPECT_TRUE(Events().empty());

    service.SetActive(true);
    ASSERT_TRUE(WaitUntil([&] { return EventIndex("a_saver.so:Start") >= 0; }));
    EXPECT_LT(EventIndex("client:Suspend"), EventIndex("a_saver.so:Start"));
    service.SetActive(false);
    ASSERT_TRUE(WaitUntil([&] { return EventIndex("client:Resume") >= 0; }));
    EXPECT_LT(EventIndex("a_saver.so:Stop"), EventIndex("client:Restore(2)"));
    EXPECT_LT(EventIndex("client:Restore(2)"), EventIndex("client:Resume"));
}

} // namespace
} // namespace orv::test
