// orvanta3ctl against orvanta3d on an emulated 4 x 20 panel, over a private session bus.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/WaitUntil.h"

using namespace orv;
using namespace orv::test;

namespace {

const std::string kCtl = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3ctl";

class RemoteEndToEnd : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
        WriteText(docs / "job.orv3", "[A]\nTimeout=0\nLine1=screen A\nShow=1\n"
                                     "[B]\nTimeout=0\nLine1=screen B\nShow=1\n"
                                     "[C]\nTimeout=0\nLine1=screen C\nShow=1\n");
    }

    // orvanta3ctl with args (shell words) on the given bus address.
    TRun Ctl(const std::string& args, const std::string& address) {
        return RunCaptured(kCtl, "DBUS_SESSION_BUS_ADDRESS='" + address + "' ", args, "ctl-");
    }
    TRun Ctl(const std::string& args) { return Ctl(args, bus.Address()); }

    // Starts the daemon on the private bus and waits until it shows screen A and answers.
    pid_t StartOnBus() {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
        const pid_t daemon = Start({"--job", docs / "job.orv3"});
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        EXPECT_TRUE(WaitForFirstRow("screen A"));
        // The name is taken after the display thread has started: ask until it answers, with
        // a request that changes nothing.
        EXPECT_TRUE(
            WaitUntil([&] { return Ctl("goto -1").exitCode == 0; }, std::chrono::seconds(30)));
        return daemon;
    }

    TPrivateSessionBus bus;
};

TEST_F(RemoteEndToEnd, NextPreviousAndGotoFlipTheDaemonsPanel) {
    const pid_t daemon = StartOnBus();

    EXPECT_EQ(Ctl("next").exitCode, 0);
    EXPECT_TRUE(WaitForFirstRow("screen B"));
    EXPECT_EQ(Ctl("goto 2").exitCode, 0);
    EXPECT_TRUE(WaitForFirstRow("screen C"));

    // Out of range: the program answers and nothing changes.
    const TRun outside = Ctl("goto 3");
    EXPECT_EQ(outside.exitCode, 0) << outside.err;
    EXPECT_EQ(Ctl("next").exitCode, 0) << "the next request counts from screen C";
    EXPECT_TRUE(WaitForFirstRow("screen A"));
    EXPECT_EQ(Ctl("previous").exitCode, 0);
    EXPECT_TRUE(WaitForFirstRow("screen C"));

    EXPECT_EQ(Ctl("charset 1").exitCode, 0);
    EXPECT_EQ(Ctl("charset 4 \"'1;x1F;x1F;x1F;x1F;x1F;x1F;x1F;x1F'\"").exitCode, 0);

    ::kill(daemon, SIGTERM);
    const int status = WaitStatus(daemon);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadText(docs / "err");
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");

    // Gone from the bus with the daemon.
    const TRun after = Ctl("next");
    EXPECT_EQ(after.exitCode, 1);
    EXPECT_EQ(after.ErrLines(), 1) << after.err;
}

TEST_F(RemoteEndToEnd, NoProgramOrNoBusIsExitOneWithOneLine) {
    const TRun nobody = Ctl("next");
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_EQ(nobody.ErrLines(), 1) << nobody.err;
    EXPECT_NE(nobody.err.find("no Orvanta3 program answers"), std::string::npos) << nobody.err;

    const TRun noBus = Ctl("previous", "unix:path=" + (docs / "no-bus"));
    EXPECT_EQ(noBus.exitCode, 1);
    EXPECT_EQ(noBus.ErrLines(), 1) << noBus.err;
}

TEST_F(RemoteEndToEnd, BadArgumentsGiveTheUsage) {
    for (const char* args : {"", "jump", "goto", "goto x", "goto 1 2", "next 1", "charset",
                             "charset 4 a b", "goto 99999999999"}) {
        const TRun run = Ctl(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_NE(run.err.find("usage: orvanta3ctl"), std::string::npos) << args;
    }
    const TRun help = Ctl("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("goto N"), std::string::npos);
}

TEST_F(RemoteEndToEnd, TheDaemonRunsWithoutASessionBus) {
    const TRun run =
        RunWith(Environment() + "DBUS_SESSION_BUS_ADDRESS='unix:path=" + (docs / "no-bus") + "' ",
                "--job '" + (docs / "job.orv3") + "' --seconds 1");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}

} // namespace
