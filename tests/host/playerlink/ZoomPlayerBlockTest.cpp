// What the player link writes into ZoomPlayerData for each state of the followed player.
#include "host/playerlink/ZoomPlayerBlock.h"
#include "base/Cp1251.h"
#include "host/playerlink/PlayerState.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

TPlayerState Playing() {
    return {.Present = true,
            .Status = TPlaybackStatus::Playing,
            .PositionUs = 65'000'000,
            .LengthUs = 5'400'000'000,
            .Url = "file:///home/u/Video/%D0%A4%D0%B8%D0%BB%D1%8C%D0%BC%201.avi",
            .Title = "Фильм",
            .Identity = "mpv",
            .BusName = "org.mpris.MediaPlayer2.mpv"};
}

TZoomPlayerData Written(const TPlayerState& state) {
    TZoomPlayerData block{};
    block.Info.Set("old text");
    block.Path.Set("/old/path");
    block.LengthDays = block.PositionDays = 0.5;
    WritePlayerState(state, block);
    return block;
}

TEST(ZoomPlayerBlock, APlayingPlayerGivesStateTimesAndPath) {
    const TZoomPlayerData block = Written(Playing());
    EXPECT_EQ(block.State, 1);
    EXPECT_DOUBLE_EQ(block.PositionDays * 86400, 65.0);
    EXPECT_DOUBLE_EQ(block.LengthDays * 86400, 5400.0);
    EXPECT_EQ(Cp1251ToUtf8(block.Path.Get()), "/home/u/Video/Фильм 1.avi");
    EXPECT_EQ(block.Info.Length, 0) << "the title would hide the play state";
    EXPECT_EQ(block.Reserved[0] + block.Reserved[1], 0);
}

TEST(ZoomPlayerBlock, PausedAndStoppedPlayers) {
    TPlayerState paused = Playing();
    paused.Status = TPlaybackStatus::Paused;
    EXPECT_EQ(Written(paused).State, 3);
    EXPECT_DOUBLE_EQ(Written(paused).PositionDays * 86400, 65.0);

    TPlayerState stopped = Playing();
    stopped.Status = TPlaybackStatus::Stopped;
    stopped.PositionUs = 0; // the watcher reports a stopped player at the start
    const TZoomPlayerData block = Written(stopped);
    EXPECT_EQ(block.State, 0);
    EXPECT_EQ(block.PositionDays, 0.0);
    EXPECT_DOUBLE_EQ(block.LengthDays * 86400, 5400.0);
}

TEST(ZoomPlayerBlock, NoPlayerClosesTheBlock) {
    const TZoomPlayerData block = Written(TPlayerState{});
    EXPECT_EQ(block.State, 255);
    EXPECT_EQ(block.LengthDays, 0.0);
    EXPECT_EQ(block.PositionDays, 0.0);
    EXPECT_EQ(block.Path.Length, 0);
    EXPECT_EQ(block.Info.Length, 0);
}

TEST(ZoomPlayerBlock, OtherUrlsStayAsTheyAre) {
    TPlayerState stream = Playing();
    stream.Title.clear();
    stream.Url = "https://example.org/live/stream.m3u8";
    const TZoomPlayerData block = Written(stream);
    EXPECT_EQ(block.Info.Length, 0) << "nor the player's name";
    EXPECT_EQ(block.Path.Get(), "https://example.org/live/stream.m3u8");
}

TEST(ZoomPlayerBlock, LongTextsAreCutToTheirFields) {
    TPlayerState state = Playing();
    state.Title = std::string(150, 'T');
    state.Url = "file:///" + std::string(300, 'p');
    const TZoomPlayerData block = Written(state);
    EXPECT_EQ(block.Path.Length, 255);
    EXPECT_EQ(block.Path.Get(), "/" + std::string(254, 'p'));
}

TEST(ZoomPlayerBlock, FileUrls) {
    EXPECT_EQ(FileUrlToPath("file:///a%20b/c%2Fd.mkv"), "/a b/c/d.mkv");
    EXPECT_EQ(FileUrlToPath("file://localhost/x.mp4"), "/x.mp4");
    EXPECT_EQ(FileUrlToPath("file://otherhost/x.mp4"), "file://otherhost/x.mp4");
    EXPECT_EQ(FileUrlToPath("file:///bad%zzescape%"), "/bad%zzescape%");
    EXPECT_EQ(FileUrlToPath("/already/a/path"), "/already/a/path");
}

TEST(ZoomPlayerBlock, ATornLengthByteNeverReadsPastItsField) {
    TZoomPlayerData block{};
    block.Info.Set("abc");
    block.Info.Length = 250; // as a reader may see it in the middle of a write
    EXPECT_EQ(block.Info.Get().size(), 100u);
}

} // namespace
