// orvanta3d with the LCDd driver: against a real LCDd (text driver, 20 x 4, private port) the
// job's rows, its Cyrillic text and its bar reach LCDd's frames, also after LCDd has been
// killed and started again; a port where nothing listens and a server that never answers leave
// the driver inactive with one message while the daemon runs on; LCDd's keys flip the screens
// (through a loopback stand-in, as LCDd's text driver has no keys).
#include "tests/daemon/DaemonRun.h"
#include "tests/support/FakeLcdd.h"
#include "tests/support/LcddServer.h"
#include "tests/support/WaitUntil.h"

using namespace orv;
using namespace orv::test;

namespace {

class LcddEndToEnd : public DaemonTest {
protected:
    void UseLcdd(uint16_t port) {
        WriteText(docs / "Orvanta3.ini",
                  "[Common]\nBase timeout=100\n[lcdd.so]\nActive=1\nServer=127.0.0.1\nPort=" +
                      std::to_string(port) + "\n[chronos.so]\nActive=1\n[glyphset.so]\nActive=1\n");
    }
    static bool Alive(pid_t child) {
        int status = 0;
        return ::waitpid(child, &status, WNOHANG) == 0;
    }
    static int Terminate(pid_t child) {
        ::kill(child, SIGTERM);
        const int status = WaitStatus(child);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

} // namespace

TEST_F(LcddEndToEnd, TheJobReachesLcddsFramesAndComesBackAfterLcddRestarts) {
    if (!TLcddServer::Available()) GTEST_SKIP() << "LCDd (package lcdproc) is not installed";
    TLcddServer lcdd(docs);
    UseLcdd(lcdd.Port());
    // The bar of the day of the month is 101 cells wide: whatever the day, cells 2 and 3 of
    // the panel are full bar pieces.
    WriteText(docs / "job.orv3", Utf8ToCp1251("[One]\nTimeout=0\nLine1=Привет, LCDd!\n"
                                              "Line2=$defineCharset[0]$$nowDay[,,101,,bar]$\n"
                                              "Line3=quoted \"text\" \\ end\nShow=1\n"));
    const std::string greeting = Utf8ToCp1251("Привет, LCDd!");
    ASSERT_EQ(greeting.size(), 13u) << "one byte per letter";
    auto showsJob = [&](const std::vector<std::string>& rows) {
        return rows[0] == greeting + std::string(7, ' ') && rows[1].substr(1, 2) == "##" &&
               rows[2] == "quoted \"text\" \\ end ";
    };

    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_TRUE(lcdd.WaitForFrame(showsJob)) << lcdd.LogText() << ReadText(docs / "err");

    lcdd.Kill();
    lcdd.Start();
    EXPECT_TRUE(lcdd.WaitForFrame(showsJob)) << "after the restart\n"
                                             << lcdd.LogText() << ReadText(docs / "err");
    EXPECT_TRUE(Alive(daemon));
    EXPECT_EQ(Terminate(daemon), 0) << ReadText(docs / "err");
}

TEST_F(LcddEndToEnd, AnUnreachableOrSilentServerLeavesTheDriverInactiveWithOneMessage) {
    TFakeLcdd silent(TFakeLcdd::TMode::Silent);
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=mirrored\nShow=1\n");
    for (const uint16_t port : {FreeLoopbackPort(), silent.Port()}) {
        UseLcdd(port);
        // The terminal mirror keeps a run without a panel going.
        const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 1 --tty=text");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        // An inactive driver reports the 2 x 16 panel of the host's default.
        EXPECT_NE(run.out.find("|mirrored        |"), std::string::npos) << run.out;
        EXPECT_EQ(run.ErrLines(), 1) << run.err;
        EXPECT_NE(run.err.find("LCDd at 127.0.0.1:" + std::to_string(port)), std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(silent.Received("hello"));
}

TEST_F(LcddEndToEnd, LcddsKeysFlipTheScreens) {
    TFakeLcdd lcdd;
    UseLcdd(lcdd.Port());
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=first screen\nShow=1\n"
                                 "[Two]\nTimeout=0\nLine1=second screen\nShow=1\n");
    auto shows = [&](const std::string& text, long times) {
        const std::string command =
            "widget_set orv3 r1 1 1 \"" + text + std::string(20 - text.size(), ' ') + "\"";
        return WaitUntil(
            [&] {
                const auto commands = lcdd.Commands();
                return std::count(commands.begin(), commands.end(), command) >= times;
            },
            std::chrono::seconds(60));
    };
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_TRUE(shows("first screen", 1)) << ReadText(docs / "err");
    lcdd.SendToClients("key Down");
    EXPECT_TRUE(shows("second screen", 1));
    lcdd.SendToClients("key Escape");
    EXPECT_TRUE(shows("first screen", 2));
    lcdd.SendToClients("key Up"); // from the first screen back round to the last
    EXPECT_TRUE(shows("second screen", 2));
    EXPECT_EQ(Terminate(daemon), 0) << ReadText(docs / "err");
}

TEST_F(LcddEndToEnd, AServerBackWithAnotherDisplaySaysThePanelKeepsItsSize) {
    TFakeLcdd lcdd;
    UseLcdd(lcdd.Port());
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=sized\nShow=1\n");
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    ASSERT_TRUE(WaitUntil([&] { return lcdd.Received("widget_add orv3 r1 string"); },
                          std::chrono::seconds(30)))
        << ReadText(docs / "err");
    lcdd.SetSize(16, 2);
    lcdd.DropClients();
    const std::string said = "now has a display of 16 x 2; the panel keeps 20 x 4";
    EXPECT_TRUE(WaitUntil([&] { return ReadText(docs / "err").find(said) != std::string::npos; },
                          std::chrono::seconds(30)))
        << ReadText(docs / "err");
    EXPECT_EQ(Terminate(daemon), 0) << ReadText(docs / "err");
}
