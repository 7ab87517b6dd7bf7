// playstate as the host sees it: the built module reading an OrvantaMP3Data block that the
// test writes as the bridge would.
#include "base/Cp1251.h"
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "modules/common/TickClock.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/PrivateBlocks.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t {
    tagCheck,
    tagStatus,
    tagStatusIcon,
    tagPercPosition,
    tagPosition,
    tagPercRemain,
    tagRemain,
    tagLength,
    tagSpectrum4,
    tagSpectrum8,
    tagSpectrum16,
    tagSpectrum20,
    tagLevel
};

class PlayState : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        WriteText(docs / "Orvanta3.ini", "[Common]\n");
        setTick = reinterpret_cast<TSetTickFunc>(module.Library().Symbol(kSetTickExport));
        ASSERT_TRUE(setTick);
        setTick(&tick);
    }

    TMp3Data& Block() {
        if (!block) block = TSharedBlock::Create(kMp3DataName, sizeof(TMp3Data), true);
        return *static_cast<TMp3Data*>(block->Data());
    }
    void SetTimes(int16_t state, int32_t position, int32_t length) {
        Block().State = state;
        Block().PositionSec = position;
        Block().LengthSec = length;
    }
    void SetBands(std::initializer_list<uint8_t> values) {
        std::fill(std::begin(Block().Spectrum), std::end(Block().Spectrum), 0);
        std::copy(values.begin(), values.end(), Block().Spectrum);
    }
    void LoadSettings() { ASSERT_EQ(module.Descriptor().LoadSettings(), 0); }

    // A value read a millisecond later: the module keeps its copy of the block for the rest of
    // the millisecond in which it took it.
    std::string Fresh(int32_t index, const char* param = "0") {
        ++tick;
        setTick(&tick);
        return module.Value(index, param);
    }
    std::string Value(int32_t index, const char* param = "0") { return module.Value(index, param); }

    TPrivateBlocks blocks;
    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    std::unique_ptr<TSharedBlock> block;
    TBuiltModule module{"playstate.so"};
    TSetTickFunc setTick = nullptr;
    uint64_t tick = 1000;
};

TEST_F(PlayState, DescriptorOffersTheThirteenTags) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "MP3 playing status");
    EXPECT_EQ(d.Id, 9);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$mp3Check", "$mp3Status", "$mp3StatusIcon",
                                     "$mp3PercPosition", "$mp3Position", "$mp3PercRemain",
                                     "$mp3Remain", "$mp3Length", "$mp3Spectrum4", "$mp3Spectrum8",
                                     "$mp3Spectrum16", "$mp3Spectrum20", "$mp3Level"}));
    EXPECT_STREQ(d.TagExamples[1], "");
    EXPECT_TRUE(d.LoadSettings);
    EXPECT_FALSE(d.Configure);
}

TEST_F(PlayState, NoBlockOrANegativeStateSkipsTheScreen) {
    LoadSettings();
    EXPECT_EQ(Value(tagCheck), "#skip");
    EXPECT_EQ(Value(tagStatus), "");
    EXPECT_EQ(Value(tagSpectrum20, "11"), "");

    SetTimes(msPlaying, 10, 100);
    EXPECT_EQ(Fresh(tagCheck), "");
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_UnsetFlash\x01");

    Block().State = msNoData; // the bridge has ended
    EXPECT_EQ(Fresh(tagCheck), "#skip");
    EXPECT_EQ(Value(tagLength, "3"), "");
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_UnsetFlash\x01"); // the icon keeps its answer
}

TEST_F(PlayState, TheBlockIsReadOncePerMillisecond) {
    SetTimes(msPlaying, 10, 100);
    EXPECT_EQ(Fresh(tagPosition, "0"), "10");
    SetTimes(msPlaying, 11, 100);
    EXPECT_EQ(Value(tagPosition, "0"), "10");
    EXPECT_EQ(Fresh(tagPosition, "0"), "11");
}

TEST_F(PlayState, TimesAndPercentages) {
    LoadSettings();
    SetTimes(msPlaying, 207, 300);
    EXPECT_EQ(Fresh(tagPercPosition), "69");
    EXPECT_EQ(Value(tagPercRemain), "31");
    EXPECT_EQ(Value(tagPosition, "3"), "03:27");
    EXPECT_EQ(Value(tagRemain, "5"), "00:01:33");
    EXPECT_EQ(Value(tagLength, "4"), "05 m 00 s");

    SetTimes(msStopped, 0, 0);
    EXPECT_EQ(Fresh(tagPercPosition), "0");
    EXPECT_EQ(Value(tagPercRemain), "100");
}

TEST_F(PlayState, StatusTexts) {
    const std::pair<int16_t, const char*> states[] = {
        {msStopped, "Stop"},     {msPlaying, "Play"},           {msPaused, "Pause"},
        {msNoMedia, "No media"}, {msShuttingDown, "Destroyed"}, {2, ""},
        {0x0101, "Play"}};
    for (const auto& [state, text] : states) {
        Block().State = state;
        EXPECT_EQ(Fresh(tagStatus), text) << state;
    }
}

TEST_F(PlayState, StatusIconUsesTheLastRefresh) {
    SetTimes(msPaused, 1, 2);
    EXPECT_EQ(Fresh(tagCheck), "");
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_SetFlash\x02");
    SetTimes(msStopped, 1, 2);
    EXPECT_EQ(Fresh(tagStatusIcon, "'123'"), "_SetFlash\x02"); // no refresh of its own
    EXPECT_EQ(Value(tagCheck), "");
    EXPECT_EQ(Value(tagStatusIcon, "'123'"), "_UnsetFlash\x03");
    EXPECT_EQ(Value(tagStatusIcon, "'12'"), "_UnsetFlash_MaskList:2;12");
}

TEST_F(PlayState, LevelsInPercent) {
    Block().State = msPlaying;
    Block().LevelLeft = 128;
    Block().LevelRight = 255;
    EXPECT_EQ(Fresh(tagLevel, "0"), "50");
    EXPECT_EQ(Value(tagLevel, "1"), "100");
    EXPECT_EQ(Value(tagLevel, "2"), "");
}

TEST_F(PlayState, OneRowSpectrumWithTheDefaultBarCharacters) {
    LoadSettings();
    Block().State = msPlaying;
    SetBands({0, 31, 33, 255, 64, 96, 128, 160, 192, 224});
    // The lowest bar piece vb_0 is at code 8 and the fullest, vb_7, at code 1 by default.
    EXPECT_EQ(Fresh(tagSpectrum20, "11"),
              std::string("  \x08\x02\x07\x06\x05\x04\x03\x02") + std::string(10, ' '));
    EXPECT_EQ(Value(tagSpectrum4, "'11'").size(), 4u);
    EXPECT_EQ(Value(tagSpectrum8, "11").size(), 8u);
    EXPECT_EQ(Value(tagSpectrum16, "11").size(), 16u);
}

TEST_F(PlayState, TwoRowSpectrumAndTheMappingOfTheSettings) {
    WriteText(docs / "Orvanta3.ini", "[Custom charset mapping]\nvb_0=1\nvb_1=2\nvb_2=3\nvb_3=4\n"
                                     "vb_4=5\nvb_5=6\nvb_6=7\nvb_7=264\n");
    LoadSettings();
    Block().State = msPlaying;
    SetBands({200});
    EXPECT_EQ(Fresh(tagSpectrum4, "12"), "\x04   "); // upper row: k = 4, vb_3
    EXPECT_EQ(Value(tagSpectrum4, "22"), "\x08   "); // lower row: k = 12, vb_7 (264 & 0xFF)
    EXPECT_EQ(Value(tagSpectrum4, "0"), "\x06   ");  // no rows given: one row, k = 6
}

TEST_F(PlayState, FallingBandsSinkByAThirdOfTheGapPerEvaluation) {
    LoadSettings();
    Block().State = msPlaying;
    SetBands({240});
    Value(tagCheck);
    Value(tagSpectrum4, "11");
    SetBands({0});
    // 160, 106, 70, 46, 30: pieces k = 5, 3, 2, 1, then nothing.
    std::string shown;
    for (int i = 0; i < 5; ++i) shown += Fresh(tagSpectrum4, "11").front();
    EXPECT_EQ(shown, "\x04\x06\x07\x08 ");
    // A rising band shows at once, in every spectrum tag, which share the smoothing.
    SetBands({255});
    EXPECT_EQ(Fresh(tagSpectrum20, "11").front(), '\x02');
}

} // namespace
