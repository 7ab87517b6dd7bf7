// orvanta3d with videowatch on an emulated panel while a real media player (mpv with its MPRIS
// plug-in) plays on a private session bus: the panel shows the playback.
#include "host/Cp1251.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/WaitUntil.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace orv::test;
using namespace std::chrono_literals;

namespace {

const std::string kDaemon = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3d";
const std::string kMprisPlugin = "/usr/lib/mpv-mpris/mpris.so";

std::vector<std::string> PanelRows(const std::string& state) {
    std::vector<std::string> rows;
    std::istringstream in(ReadText(state));
    std::string line;
    while (std::getline(in, line))
        if (line.size() >= 2 && line.front() == '|' && line.back() == '|')
            rows.push_back(line.substr(1, line.size() - 2));
    return rows;
}

TEST(PlayerEndToEnd, ThePanelShowsWhatTheMediaPlayerPlays) {
    if (!ProgramExists("mpv") || !std::filesystem::exists(kMprisPlugin) || !ProgramExists("sox"))
        GTEST_SKIP() << "needs mpv, its MPRIS plug-in (mpv-mpris) and sox";
    TPrivateBlocks blocks;
    TPrivateSessionBus bus;
    ASSERT_TRUE(bus.Running());
    TempDir docs;
    const std::string state = docs / "panel.state";
    WriteText(docs / "Orvanta3.ini",
              "[Common]\nStartMsg=\nStartMsg line2=\nQuitMsg=\nBase timeout=100\n"
              "[textport.so]\nActive=1\nLines count=2\nCols count=20\nTiming=0\n"
              "[videowatch.so]\nActive=1\n");
    WriteText(docs / "job.orv3", "[Video]\nTimeout=0\nLine1=$zoomCheck$$zoomStatus[,,,4]$\n"
                                 "Line2=$zoomPosition[,,,4]$\nShow=1\n");
    const std::string file = docs / "clip.wav";
    ASSERT_TRUE(
        RunProgram({"sox", "-n", "-r", "8000", "-c", "1", file, "synth", "60", "sine", "300"},
                   docs / "sox.log"));

    ScopedEnv busAddress("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    ScopedEnv port("ORVANTA3_PORTIO", "emu:hd44780:2x20:" + state);
    ScopedEnv locale("LC_ALL", "C");
    TChildProcess daemon({kDaemon, "--job", docs / "job.orv3"}, docs / "daemon.log");
    ASSERT_TRUE(daemon.Started());
    TChildProcess player({"mpv", "--no-config", "--script=" + kMprisPlugin, "--ao=null",
                          "--vo=null", "--no-terminal", "--force-media-title=Clip", file},
                         docs / "mpv.log");
    ASSERT_TRUE(player.Started());

    const std::regex position("00:00:([0-5][0-9]) +");
    std::smatch first;
    std::string firstRow;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto rows = PanelRows(state);
            if (rows.size() < 2 || rows[0] != "Clip                " ||
                !std::regex_match(rows[1], first, position))
                return false;
            firstRow = rows[1];
            return true;
        },
        60s))
        << ReadText(state) << ReadText(docs / "daemon.log");

    // The position moves on.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto rows = PanelRows(state);
            std::smatch later;
            return rows.size() >= 2 && std::regex_match(rows[1], later, position) &&
                   later[1].str() > firstRow.substr(6, 2);
        },
        60s))
        << ReadText(state);

    EXPECT_EQ(daemon.Stop(), 0);
}

} // namespace
