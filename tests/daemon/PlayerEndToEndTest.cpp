// orvanta3d with videowatch on the emulated panel while a real media player (mpv with its
// MPRIS plug-in) plays on a private session bus: the panel shows the playback.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/PrivateSessionBus.h"

#include <regex>

namespace orv::test {
namespace {

const std::string kMprisPlugin = "/usr/lib/mpv-mpris/mpris.so";

class PlayerEndToEnd : public DaemonTest {
protected:
    void SetUp() override {
        if (!ProgramExists("mpv") || !std::filesystem::exists(kMprisPlugin) ||
            !ProgramExists("sox"))
            GTEST_SKIP() << "needs mpv, its MPRIS plug-in (mpv-mpris) and sox";
        ASSERT_TRUE(bus.Running());
        WriteText(docs / "Orvanta3.ini",
                  Utf8ToCp1251(kPanelSettings) + "[videowatch.so]\nActive=1\n");
    }

    TPrivateBlocks blocks;
    TPrivateSessionBus bus;
    ScopedEnv busAddress{"DBUS_SESSION_BUS_ADDRESS", bus.Address()};
    ScopedEnv locale{"LC_ALL", "C"};
};

TEST_F(PlayerEndToEnd, ThePanelShowsWhatTheMediaPlayerPlays) {
    WriteText(docs / "job.orv3", "[Video]\nTimeout=0\nLine1=$zoomCheck$$zoomStatus[,,,4]$\n"
                                 "Line2=$zoomPosition[,,,4]$\nShow=1\n");
    const std::string file = docs / "clip.wav";
    ASSERT_TRUE(
        RunProgram({"sox", "-n", "-r", "8000", "-c", "1", file, "synth", "60", "sine", "300"},
                   docs / "sox.log"));
    const pid_t daemon = Start({"--job", docs / "job.orv3"});
    TChildProcess player({"mpv", "--no-config", "--script=" + kMprisPlugin, "--ao=null",
                          "--vo=null", "--no-terminal", "--force-media-title=Clip", file},
                         docs / "mpv.log");
    EXPECT_TRUE(player.Started());

    // The play state as status (the title is not the player's message) and the position as a
    // time; then the position moves on.
    const std::regex position("00:00:([0-5][0-9]) +");
    std::string first;
    EXPECT_TRUE(WaitForPanel([&](const auto& rows) {
        std::smatch seconds;
        if (rows.size() < 2 || rows[0] != "Play                " ||
            !std::regex_match(rows[1], seconds, position))
            return false;
        first = seconds[1];
        return true;
    })) << ReadText(state)
        << ReadText(docs / "err");
    EXPECT_TRUE(WaitForPanel([&](const auto& rows) {
        std::smatch seconds;
        return rows.size() >= 2 && std::regex_match(rows[1], seconds, position) &&
               seconds[1].str() > first;
    })) << ReadText(state);

    ::kill(daemon, SIGTERM);
    const int status = WaitStatus(daemon);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
} // namespace orv::test
