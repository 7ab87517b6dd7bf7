// orvanta3-mpd with a real MPD started by the test (a null output for the timing and a fifo
// output for the sound), playing sines made by sox; the block read as playstate reads it, and
// the playstate module itself.
#include "base/Cp1251.h"
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "mediabridge/SpectrumAnalyser.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/WaitUntil.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <mpd/client.h>

using namespace orv;
using namespace orv::test;
using namespace std::chrono_literals;

namespace {

const std::string kBridge = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3-mpd";

// An MPD of the test's own on a socket in a temporary folder.
class TMpdServer {
public:
    TMpdServer(const TempDir& dir, bool withFifo) : dir_(dir) {
        std::filesystem::create_directories(dir / "music");
        std::string conf = "music_directory \"" + (dir / "music") +
                           "\"\n"
                           "playlist_directory \"" +
                           dir.Path() +
                           "\"\n"
                           "db_file \"" +
                           (dir / "mpd.db") +
                           "\"\n"
                           "bind_to_address \"" +
                           Socket() +
                           "\"\n"
                           "zeroconf_enabled \"no\"\n"
                           "audio_output {\n type \"null\"\n name \"timing\"\n}\n";
        if (withFifo)
            conf += "audio_output {\n type \"fifo\"\n name \"sound\"\n path \"" + Fifo() +
                    "\"\n format \"44100:16:2\"\n}\n";
        WriteText(dir / "mpd.conf", conf);
    }
    std::string Socket() const { return dir_ / "mpd.sock"; }
    std::string Fifo() const { return dir_ / "mpd.fifo"; }

    bool Start() {
        process_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{"mpd", "--no-daemon", "--stderr", dir_ / "mpd.conf"},
            dir_ / "mpd.log");
        return process_->Started() && WaitUntil([&] { return Connect(); }, 30s);
    }
    void Stop() {
        Disconnect();
        process_.reset();
    }
    ~TMpdServer() { Stop(); }

    // Runs one client command; the library's errors count as failure.
    bool Run(const std::function<bool(mpd_connection*)>& command) {
        if (!connection_ && !Connect()) return false;
        const bool ok =
            command(connection_) && mpd_connection_get_error(connection_) == MPD_ERROR_SUCCESS;
        if (!ok) Disconnect();
        return ok;
    }
    // Plays one file of the music folder, once MPD's database knows it.
    bool Play(const std::string& name) {
        return WaitUntil(
            [&] {
                return Run([&](mpd_connection* c) {
                    return mpd_run_clear(c) && mpd_run_add(c, name.c_str()) && mpd_run_play(c);
                });
            },
            30s);
    }

private:
    bool Connect() {
        Disconnect();
        connection_ = mpd_connection_new(Socket().c_str(), 0, 5000);
        if (connection_ && mpd_connection_get_error(connection_) == MPD_ERROR_SUCCESS) return true;
        Disconnect();
        return false;
    }
    void Disconnect() {
        if (connection_) mpd_connection_free(connection_);
        connection_ = nullptr;
    }

    const TempDir& dir_;
    std::unique_ptr<TChildProcess> process_;
    mpd_connection* connection_ = nullptr;
};

class MpdBridge : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProgramExists("mpd") || !ProgramExists("sox"))
            GTEST_SKIP() << "needs mpd and sox (see packages.txt)";
        WriteText(docs / "Orvanta3.ini", "[Common]\n");
    }

    void Sine(const std::string& name, int hz) {
        std::filesystem::create_directories(dir / "music");
        ASSERT_TRUE(RunProgram({"sox", "-n", "-r", "44100", "-c", "2", dir / ("music/" + name),
                                "synth", "30", "sine", std::to_string(hz), "vol", "0.7"},
                               dir / "sox.log"));
    }

    void StartBridge(const std::string& fifo) {
        bridge = std::make_unique<TChildProcess>(std::vector<std::string>{kBridge, "--fifo", fifo},
                                                 dir / "bridge.log");
        ASSERT_TRUE(bridge->Started());
    }

    TMp3Data Block() {
        if (!view)
            view =
                TSharedBlock::Open(kMp3DataName, sizeof(TMp3Data), TSharedBlock::TAccess::ReadOnly);
        TMp3Data none{};
        none.State = msNoData;
        return view ? SnapshotOf<TMp3Data>(view->Data()) : none;
    }
    bool WaitForBlock(const std::function<bool(const TMp3Data&)>& pred) {
        return WaitUntil([&] { return pred(Block()); }, 30s);
    }
    static size_t Loudest(const TMp3Data& b) {
        return static_cast<size_t>(std::max_element(std::begin(b.Spectrum), std::end(b.Spectrum)) -
                                   std::begin(b.Spectrum));
    }
    static size_t BandOf(double hz) { return TSpectrumAnalyser(44100).BandOf(hz); }
    std::string Log() {
        return "bridge: " + ReadText(dir / "bridge.log") + "\nmpd: " + ReadText(dir / "mpd.log");
    }

    TPrivateBlocks blocks;
    TempDir dir;
    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv mpdHost{"MPD_HOST", dir / "mpd.sock"};
    ScopedEnv noBus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir / "no-bus")};
    std::unique_ptr<TChildProcess> bridge;
    std::unique_ptr<TSharedBlock> view;
};

TEST_F(MpdBridge, PublishesPlaybackSpectrumAndLevelsAndFollowsMpdThroughARestart) {
    Sine("a1k.flac", 1000);
    Sine("b100.flac", 100);
    TMpdServer mpd(dir, true);
    ASSERT_TRUE(mpd.Start()) << Log();
    StartBridge(mpd.Fifo());
    TBuiltModule playstate("playstate.so");
    ASSERT_TRUE(playstate.Loaded());
    ASSERT_EQ(playstate.Descriptor().LoadSettings(), 0);

    ASSERT_TRUE(mpd.Play("a1k.flac"));
    const std::string path = "mpd:" + (dir / "music/a1k.flac");
    ASSERT_TRUE(WaitForBlock([&](const TMp3Data& b) {
        return b.State == msPlaying && b.Path.Get() == path && b.LengthSec == 30;
    })) << Log();
    const int32_t start = Block().PositionSec;
    ASSERT_TRUE(WaitForBlock([&](const TMp3Data& b) { return b.PositionSec > start; }));
    ASSERT_TRUE(WaitForBlock([&](const TMp3Data& b) {
        return Loudest(b) == BandOf(1000) && b.Spectrum[Loudest(b)] > 200;
    })) << Log();
    ASSERT_TRUE(
        WaitForBlock([](const TMp3Data& b) { return b.LevelLeft > 150 && b.LevelRight > 150; }));
    EXPECT_EQ(playstate.Value(0), "");
    EXPECT_EQ(playstate.Value(1), "Play");

    ASSERT_TRUE(mpd.Play("b100.flac"));
    ASSERT_TRUE(WaitForBlock([&](const TMp3Data& b) {
        return b.Path.Get().ends_with("b100.flac") && Loudest(b) == BandOf(100) &&
               b.Spectrum[Loudest(b)] > 200;
    })) << Log();

    ASSERT_TRUE(mpd.Run([](mpd_connection* c) { return mpd_run_pause(c, true); }));
    ASSERT_TRUE(WaitForBlock([](const TMp3Data& b) {
        return b.State == msPaused && std::all_of(std::begin(b.Spectrum), std::end(b.Spectrum),
                                                  [](uint8_t v) { return v == 0; });
    }));

    // MPD goes away: no data, and the screens of the music player are skipped.
    mpd.Stop();
    ASSERT_TRUE(WaitForBlock([](const TMp3Data& b) { return b.State < 0; })) << Log();
    EXPECT_TRUE(WaitUntil([&] { return playstate.Value(0) == "#skip"; }));

    // The same bridge follows the MPD that comes back.
    ASSERT_TRUE(mpd.Start()) << Log();
    ASSERT_TRUE(mpd.Play("a1k.flac"));
    ASSERT_TRUE(WaitForBlock([&](const TMp3Data& b) {
        return b.State == msPlaying && b.Path.Get() == path && Loudest(b) == BandOf(1000);
    })) << Log();

    // At its end the bridge leaves no data behind.
    EXPECT_EQ(bridge->Stop(), 0);
    EXPECT_LT(Block().State, 0);
}

TEST_F(MpdBridge, WithoutAFifoEverythingButSpectrumAndLevelsWorks) {
    Sine("a1k.flac", 1000);
    TMpdServer mpd(dir, false);
    ASSERT_TRUE(mpd.Start()) << Log();
    StartBridge(dir / "no.fifo");
    ASSERT_TRUE(mpd.Play("a1k.flac"));
    ASSERT_TRUE(WaitForBlock([](const TMp3Data& b) {
        return b.State == msPlaying && b.PositionSec >= 1;
    })) << Log();
    const TMp3Data block = Block();
    EXPECT_TRUE(block.Path.Get().ends_with("/music/a1k.flac"));
    EXPECT_EQ(block.LevelLeft + block.LevelRight, 0);
    EXPECT_TRUE(std::all_of(std::begin(block.Spectrum), std::end(block.Spectrum),
                            [](uint8_t v) { return v == 0; }));

    ASSERT_TRUE(mpd.Run([](mpd_connection* c) { return mpd_run_stop(c); }));
    ASSERT_TRUE(
        WaitForBlock([](const TMp3Data& b) { return b.State == msStopped && b.PositionSec == 0; }));
    ASSERT_TRUE(mpd.Run([](mpd_connection* c) { return mpd_run_clear(c); }));
    ASSERT_TRUE(WaitForBlock([](const TMp3Data& b) { return b.State == msNoMedia; }));
}

TEST_F(MpdBridge, WithoutMpdThereIsNoData) {
    StartBridge(dir / "no.fifo");
    ASSERT_TRUE(WaitUntil([&] {
        return TSharedBlock::Open(kMp3DataName, sizeof(TMp3Data),
                                  TSharedBlock::TAccess::ReadOnly) != nullptr;
    }));
    EXPECT_TRUE(WaitUntil([&] {
        return ReadText(dir / "bridge.log").find("MPD does not answer") != std::string::npos;
    }));
    EXPECT_LT(Block().State, 0);
    EXPECT_EQ(bridge->Stop(), 0);
}

} // namespace
