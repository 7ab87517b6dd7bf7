// The bridge's command line and the fifo format it understands.
#include "mediabridge/BridgeOptions.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

TEST(BridgeOptions, DefaultsAndValues) {
    auto parsed = ParseBridgeCommandLine({});
    ASSERT_TRUE(std::holds_alternative<TBridgeOptions>(parsed));
    EXPECT_EQ(std::get<TBridgeOptions>(parsed).FifoPath, "/tmp/mpd.fifo");
    EXPECT_EQ(std::get<TBridgeOptions>(parsed).FifoFormat.SampleRate, 44100u);

    parsed = ParseBridgeCommandLine(
        {"--fifo", "/run/x.fifo", "--fifo-format=48000:16:1", "--music-directory", "/srv/music"});
    ASSERT_TRUE(std::holds_alternative<TBridgeOptions>(parsed));
    const auto& options = std::get<TBridgeOptions>(parsed);
    EXPECT_EQ(options.FifoPath, "/run/x.fifo");
    EXPECT_EQ(options.FifoFormat.SampleRate, 48000u);
    EXPECT_EQ(options.FifoFormat.Channels, 1u);
    EXPECT_EQ(options.MusicDirectory, "/srv/music");
}

TEST(BridgeOptions, MistakesAreNamed) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--fifo"},
                                                {"--frobnicate"},
                                                {"--fifo-format", "44100:24:2"},
                                                {"--fifo-format", "44100:16:6"},
                                                {"--fifo-format", "fast"},
                                                {"--fifo="}}) {
        const auto parsed = ParseBridgeCommandLine(bad);
        ASSERT_TRUE(std::holds_alternative<TBridgeError>(parsed)) << bad[0];
        EXPECT_FALSE(std::get<TBridgeError>(parsed).Message.empty());
    }
    EXPECT_TRUE(std::holds_alternative<TBridgeHelp>(ParseBridgeCommandLine({"--help"})));
}

} // namespace
