// videowatch as the host sees it: the built module reading a ZoomPlayerData block that the
// test writes as the player link would.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/GeneratedLocale.h"
#include "tests/support/PrivateBlocks.h"

#include <atomic>
#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

std::atomic<int32_t> gPlayerOnBus{0};
std::atomic<int> gLookAgainCalls{0};

} // namespace

// What the player link of a running program answers.
ORVANTA3_EXPORT int32_t Orvanta3PlayerLookAgain() {
    ++gLookAgainCalls;
    return gPlayerOnBus;
}

namespace {

enum : int32_t {
    tagCheck,
    tagStatus,
    tagStatusIcon,
    tagPosition,
    tagPercPosition,
    tagRemain,
    tagPercRemain,
    tagLength,
    tagMedia
};

constexpr double kSecond = 1.0 / 86400;

class VideoWatch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.Loaded()); }

    TZoomPlayerData& Block() {
        if (!block)
            block = TSharedBlock::Create(kZoomPlayerDataName, sizeof(TZoomPlayerData), true);
        return *static_cast<TZoomPlayerData*>(block->Data());
    }
    void Set(uint8_t state, double positionSec, double lengthSec, const std::string& info = "") {
        Block().State = state;
        Block().PositionDays = positionSec * kSecond;
        Block().LengthDays = lengthSec * kSecond;
        Block().Info.Set(info);
    }
    std::string Value(int32_t index, const char* param = "0") { return module.Value(index, param); }

    TPrivateBlocks blocks;
    ScopedEnv locale{"LC_ALL", "C"};
    std::unique_ptr<TSharedBlock> block;
    TBuiltModule module{"videowatch.so"};
};

TEST_F(VideoWatch, DescriptorOffersTheNineTagsWithoutSettings) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "ZoomPlayer status");
    EXPECT_EQ(d.Id, 22);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$zoomCheck", "$zoomStatus", "$zoomStatusIcon",
                                     "$zoomPosition", "$%zoomPosition", "$zoomRemain",
                                     "$%zoomRemain", "$zoomLength", "$zoomMedia"}));
    EXPECT_FALSE(d.LoadSettings);
    EXPECT_FALSE(d.Configure);
    EXPECT_FALSE(d.Finalize);
}

TEST_F(VideoWatch, CheckAsksThePlayerLinkToLookAgain) {
    const int before = gLookAgainCalls;
    gPlayerOnBus = 0;
    EXPECT_EQ(Value(tagCheck), "#skip");
    gPlayerOnBus = 1;
    EXPECT_EQ(Value(tagCheck), "");
    EXPECT_EQ(gLookAgainCalls, before + 2);
}

TEST_F(VideoWatch, StatusShowsTheInformationTextElseThePlayState) {
    Set(zsClosed, 0, 0);
    EXPECT_EQ(Value(tagStatus), "Closed");
    Set(zsStopped, 0, 60);
    EXPECT_EQ(Value(tagStatus), "Stop");
    Set(zsPaused, 5, 60);
    EXPECT_EQ(Value(tagStatus), "Pause");
    Set(zsPlaying, 5, 60);
    EXPECT_EQ(Value(tagStatus), "Play");
    Set(2, 5, 60); // no such state: the previous answer stays
    EXPECT_EQ(Value(tagStatus), "Play");
    Set(zsPlaying, 5, 60, "Фильм"_cp1251);
    EXPECT_EQ(Value(tagStatus), "Фильм"_cp1251);
}

TEST_F(VideoWatch, TimesAndPercentages) {
    Set(zsPlaying, 65, 90 * 60);
    EXPECT_EQ(Value(tagPosition), "00:01:05");
    EXPECT_EQ(Value(tagRemain), "01:28:55");
    EXPECT_EQ(Value(tagLength), "01:30:00");
    EXPECT_EQ(Value(tagPercPosition), "1");
    EXPECT_EQ(Value(tagPercRemain), "99");

    // Halves round to even.
    Set(zsPlaying, 1, 8);
    EXPECT_EQ(Value(tagPercPosition), "12");
    Set(zsPlaying, 3, 8);
    EXPECT_EQ(Value(tagPercPosition), "38");

    Set(zsPlaying, 10, 0);
    EXPECT_EQ(Value(tagPercPosition), "0");
    EXPECT_EQ(Value(tagPercRemain), "0");
    EXPECT_EQ(Value(tagRemain), "00:00:00"); // never a negative time
}

TEST_F(VideoWatch, TimesFollowTheUsersLongTimeFormat) {
    GeneratedLocale english("en_US");
    if (!english.Ok()) GTEST_SKIP() << "localedef cannot build en_US here";
    ScopedEnv time("LC_ALL", english.Name());
    TBuiltModule fresh("videowatch.so"); // the format is read once per load
    Set(zsPlaying, 65, 13 * 3600);
    EXPECT_EQ(fresh.Value(tagPosition), "12:01:05 AM");
    EXPECT_EQ(fresh.Value(tagLength), "01:00:00 PM");
}

TEST_F(VideoWatch, GarbageTimesDoNotBreakTheValues) {
    Block().State = zsPlaying;
    Block().PositionDays = std::numeric_limits<double>::quiet_NaN();
    Block().LengthDays = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Value(tagPosition), "00:00:00");
    EXPECT_EQ(Value(tagPercPosition), "0");
    Block().LengthDays = -1e300;
    EXPECT_EQ(Value(tagLength), "00:00:00");
}

TEST_F(VideoWatch, StatusIconInNumberAndNameForm) {
    Set(zsPaused, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_SetFlash\x02");
    Set(zsPlaying, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_UnsetFlash\x01");
    Set(zsClosed, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_UnsetFlash\x03");
    Set(4, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'120'"), "_UnsetFlash"); // code 0 cannot be shown

    Set(zsPlaying, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'12'"), "_UnsetFlash_MaskList:0;12");
    EXPECT_EQ(Value(tagStatusIcon, "'1a3'"), "_UnsetFlash_MaskList:0;1a3");
    Set(zsPaused, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'1:char_play;char_pause;char_stop'"),
              "_SetFlash_MaskList:1;1:char_play;char_pause;char_stop");
    Set(2, 0, 1);
    EXPECT_EQ(Value(tagStatusIcon, "'123'"),
              "_SetFlash_MaskList:1;1:char_play;char_pause;char_stop");
}

TEST_F(VideoWatch, MediaShowsTheFileName) {
    Block().Path.Set("/home/user/Video/film.avi");
    EXPECT_EQ(Value(tagMedia), "film.avi");
    Block().Path.Set("C:\\Video\\film.avi");
    EXPECT_EQ(Value(tagMedia), "film.avi");
    Block().Path.Set("https://example.org/live");
    EXPECT_EQ(Value(tagMedia), "live");
}

TEST_F(VideoWatch, WithoutTheBlockOnlyTheCheckAnswers) {
    gPlayerOnBus = 1;
    for (int32_t index = tagStatus; index <= tagMedia; ++index)
        EXPECT_EQ(Value(index, "'123'"), "") << index;
    EXPECT_EQ(Value(tagCheck), "");

    Set(zsPlaying, 1, 2); // the block appears later
    EXPECT_EQ(Value(tagStatus), "Play");
}

TEST_F(VideoWatch, ClearAndUnknownIndexes) {
    Set(zsPlaying, 1, 2);
    EXPECT_EQ(Value(tagStatus), "Play");
    EXPECT_EQ(Value(9), "Play");
    EXPECT_EQ(Value(-1), "");
    EXPECT_EQ(Value(0x7FFF0000 | tagStatus), "Play"); // only the low 16 bits count
}

} // namespace
