// The player link with real media players: mpv with its MPRIS plug-in, playing files made by
// sox, on a private session bus; the link's block read as videowatch reads it.
#include "host/playerlink/PlayerLink.h"
#include "base/Cp1251.h"
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBlocks.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/WaitUntil.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

using namespace orv;
using namespace orv::test;
using namespace std::chrono_literals;

namespace {

constexpr const char* kMprisPlugins[] = {"/usr/lib/mpv-mpris/mpris.so",
                                         "/etc/mpv/scripts/mpris.so"};

std::string MprisPlugin() {
    for (const char* path : kMprisPlugins)
        if (std::filesystem::exists(path)) return path;
    return {};
}

// The MPRIS names on the bus at address.
std::vector<std::string> PlayerNames(const std::string& address) {
    std::vector<std::string> names;
    sd_bus* bus = nullptr;
    char** list = nullptr;
    if (sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address.c_str()) >= 0 &&
        sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 &&
        sd_bus_list_names(bus, &list, nullptr) >= 0) {
        for (char** name = list; *name; ++name) {
            if (std::string_view(*name).starts_with("org.mpris.MediaPlayer2."))
                names.push_back(*name);
            free(*name);
        }
        free(list);
    }
    sd_bus_flush_close_unref(bus);
    return names;
}

// Calls a method of the player interface, as a remote control does.
bool CallPlayer(const std::string& address, const std::string& player, const char* method) {
    sd_bus* bus = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const bool ok =
        sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address.c_str()) >= 0 &&
        sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 &&
        sd_bus_call_method(bus, player.c_str(), "/org/mpris/MediaPlayer2",
                           "org.mpris.MediaPlayer2.Player", method, &error, nullptr, "") >= 0;
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return ok;
}

class PlayerLinkWithPlayers : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProgramExists("mpv") || MprisPlugin().empty() || !ProgramExists("sox"))
            GTEST_SKIP() << "needs mpv, its MPRIS plug-in (mpv-mpris) and sox";
        ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
    }

    // A mono sine of the given length, made by sox.
    std::string SineFile(const std::string& name, int seconds) {
        const std::string path = dir / name;
        EXPECT_TRUE(RunProgram({"sox", "-n", "-r", "8000", "-c", "1", path, "synth",
                                std::to_string(seconds), "sine", "440"},
                               dir / "sox.log"));
        return path;
    }

    std::unique_ptr<TChildProcess> StartPlayer(const std::string& file, const std::string& title,
                                               bool paused = false) {
        std::vector<std::string> args = {"mpv",
                                         "--no-config",
                                         "--script=" + MprisPlugin(),
                                         "--ao=null",
                                         "--vo=null",
                                         "--no-terminal",
                                         "--loop-file=inf",
                                         "--force-media-title=" + title};
        if (paused) args.push_back("--pause");
        args.push_back(file);
        auto player = std::make_unique<TChildProcess>(args, dir / "mpv.log");
        EXPECT_TRUE(player->Started());
        return player;
    }

    TZoomPlayerData Block() {
        if (!view)
            view = TSharedBlock::Open(kZoomPlayerDataName, sizeof(TZoomPlayerData),
                                      TSharedBlock::TAccess::ReadOnly);
        return view ? SnapshotOf<TZoomPlayerData>(view->Data()) : TZoomPlayerData{};
    }

    bool WaitForBlock(const std::function<bool(const TZoomPlayerData&)>& pred,
                      std::chrono::milliseconds timeout = 30s) {
        return WaitUntil([&] { return pred(Block()); }, timeout);
    }

    TPrivateBlocks blocks;
    TPrivateSessionBus bus;
    ScopedEnv busAddress{"DBUS_SESSION_BUS_ADDRESS", bus.Address()};
    TempDir dir;
    std::unique_ptr<TSharedBlock> view;
};

TEST_F(PlayerLinkWithPlayers, FollowsPlaybackPauseAndTheEndOfThePlayer) {
    const std::string file = SineFile("sine.wav", 20);
    TPlayerLink link;
    ASSERT_TRUE(link.HasBlock());
    // On the bus without a player: closed.
    ASSERT_TRUE(WaitForBlock([](const TZoomPlayerData& b) { return b.State == zsClosed; }));
    EXPECT_FALSE(link.LookAgain());

    auto player = StartPlayer(file, "Тестовая запись");
    // mpv tells the length a moment after the file and the playing state, once it knows it.
    ASSERT_TRUE(WaitForBlock([&](const TZoomPlayerData& b) {
        return b.State == zsPlaying && b.Path.Get() == file && b.LengthDays > 0;
    })) << ReadText(dir / "mpv.log");
    TZoomPlayerData block = Block();
    EXPECT_NEAR(block.LengthDays * 86400, 20.0, 0.05);
    EXPECT_EQ(block.Info.Length, 0) << "the title is no message of the player";
    EXPECT_TRUE(link.LookAgain());

    // The position advances while it plays.
    const double start = block.PositionDays;
    ASSERT_TRUE(WaitForBlock(
        [&](const TZoomPlayerData& b) { return b.PositionDays > start + 0.5 / 86400; }));

    const std::vector<std::string> names = PlayerNames(bus.Address());
    ASSERT_EQ(names.size(), 1u);
    ASSERT_TRUE(CallPlayer(bus.Address(), names[0], "Pause"));
    ASSERT_TRUE(WaitForBlock([](const TZoomPlayerData& b) { return b.State == zsPaused; }));
    EXPECT_EQ(Block().Path.Get(), file);

    // The player leaves the bus: the link hears it from the bus at once.
    player->Stop();
    const auto gone = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForBlock([](const TZoomPlayerData& b) { return b.State == zsClosed; }));
    RecordProperty("closed_after_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - gone)
                                        .count()));
    block = Block();
    EXPECT_EQ(block.Path.Length, 0);
    EXPECT_EQ(block.Info.Length, 0);
    EXPECT_EQ(block.LengthDays, 0.0);
    EXPECT_EQ(block.PositionDays, 0.0);
    EXPECT_FALSE(link.LookAgain());
}

TEST_F(PlayerLinkWithPlayers, FollowsThePlayerThatPlaysElseTheFirstOne) {
    const std::string first = SineFile("first.wav", 20);
    const std::string second = SineFile("second.wav", 20);
    TPlayerLink link;
    auto paused = StartPlayer(first, "first", true);
    ASSERT_TRUE(WaitForBlock([&](const TZoomPlayerData& b) {
        return b.State == zsPaused && b.Path.Get() == first;
    })) << ReadText(dir / "mpv.log");

    auto playing = StartPlayer(second, "second");
    ASSERT_TRUE(WaitForBlock(
        [&](const TZoomPlayerData& b) { return b.State == zsPlaying && b.Path.Get() == second; }));

    playing->Stop();
    ASSERT_TRUE(WaitForBlock(
        [&](const TZoomPlayerData& b) { return b.State == zsPaused && b.Path.Get() == first; }));
}

TEST(PlayerLink, WithoutASessionBusTheBlockStaysAsCreated) {
    TPrivateBlocks blocks;
    TempDir dir;
    ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir / "no-bus"));
    {
        // A block left behind by a program that crashed is taken over and cleared.
        auto stale = TSharedBlock::Create(kZoomPlayerDataName, sizeof(TZoomPlayerData), false);
        ASSERT_TRUE(stale);
        std::memset(stale->Data(), 0x5A, sizeof(TZoomPlayerData));
    }
    TPlayerLink link;
    ASSERT_TRUE(link.HasBlock());
    EXPECT_FALSE(link.LookAgain());
    auto view = TSharedBlock::Open(kZoomPlayerDataName, sizeof(TZoomPlayerData),
                                   TSharedBlock::TAccess::ReadOnly);
    ASSERT_TRUE(view);
    const auto* bytes = static_cast<const unsigned char*>(view->Data());
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof(TZoomPlayerData),
                            [](unsigned char b) { return b == 0; }));
}

TEST(PlayerLink, TheBlockIsRemovedAtTheEnd) {
    TPrivateBlocks blocks;
    { TPlayerLink link; }
    EXPECT_FALSE(TSharedBlock::Open(kZoomPlayerDataName, sizeof(TZoomPlayerData),
                                    TSharedBlock::TAccess::ReadOnly));
}

} // namespace
