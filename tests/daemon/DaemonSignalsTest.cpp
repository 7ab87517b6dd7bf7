// How orvanta3d ends: the quit signal ends it as SIGTERM does (a hang-up reloads, see
// DaemonServiceTest), and a closed standard output ends the terminal mirror, not the program.
#include "tests/daemon/DaemonRun.h"

using namespace orv::test;

namespace {

using DaemonSignals = DaemonTest;

TEST_F(DaemonSignals, QuitEndsTheRunWithTheQuitMessage) {
    WriteText(docs / "job.orv3", "[One]\nLine1=running\nShow=1\n");
    for (int signal : {SIGQUIT}) {
        std::filesystem::remove(state);
        const pid_t child = Start({"--job", docs / "job.orv3"});
        ASSERT_GE(child, 0);
        EXPECT_TRUE(WaitForFirstRow("running")) << signal << ": " << ReadText(state);
        ::kill(child, signal);
        const int status = WaitStatus(child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << signal << ": " << status;
        EXPECT_EQ(PanelRows().at(0), "Good bye!           ") << signal;
    }
}

TEST_F(DaemonSignals, AClosedMirrorEndsTheMirrorNotTheRun) {
    // orvanta3d --tty | head -3: the reader goes away while the daemon keeps drawing.
    WriteText(docs / "job.orv3", "[One]\nLine1=sec $nowSec[,,,4]$\nShow=1\n");
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = Start({"--job", docs / "job.orv3", "--tty=text"}, pipeFds[1]);
    ASSERT_GE(child, 0);
    ::close(pipeFds[1]);
    char first[64];
    ASSERT_GT(::read(pipeFds[0], first, sizeof first), 0); // the mirror has started
    ASSERT_TRUE(WaitForFirstRow("sec ")) << ReadText(state);
    const std::string shown = PanelRows().at(0);
    ::close(pipeFds[0]);

    // The next second is drawn on the panel and attempted on the closed pipe; the daemon lives.
    EXPECT_TRUE(WaitForPanel([&](const auto& rows) {
        return !rows.empty() && rows[0].starts_with("sec ") && rows[0] != shown;
    }));
    EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), 0) << "the daemon died of the closed pipe";
    ::kill(child, SIGTERM);
    const int status = WaitStatus(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}

} // namespace
