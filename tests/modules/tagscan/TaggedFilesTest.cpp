// tagscan as the host sees it, reading MP3 files that the test encodes with lame and tags with
// real taggers (id3v2, eyeD3, mid3v2), named to it through an OrvantaMP3Data block.
#include "base/Cp1251.h"
#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "modules/common/TickClock.h"
#include "tests/support/BackgroundWait.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateBlocks.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t {
    tagCheck,
    tagTitle,
    tagArtist,
    tagAlbum,
    tagYear,
    tagComment,
    tagGenre,
    tagBitrate,
    tagFreq,
    tagMode,
    tagModeIcon
};

class TaggedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"sox", "lame", "id3v2", "eyeD3", "mid3v2"})
            if (!ProgramExists(tool)) GTEST_SKIP() << "needs " << tool << " (see packages.txt)";
        ASSERT_TRUE(module.Loaded());
        setTick = reinterpret_cast<TSetTickFunc>(module.Library().Symbol(kSetTickExport));
        ASSERT_TRUE(setTick);
        wait = BackgroundWaitOf(module);
        ASSERT_TRUE(wait);
        setTick(&tick);
        WriteText(docs / "Orvanta3.ini", "[Common]\n");
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
    }

    // One second of sine encoded by lame; extra: lame's options.
    std::string Mp3(const std::string& name, std::vector<std::string> lameOptions = {"-b", "128"},
                    const std::string& rate = "44100", const std::string& channels = "2") {
        const std::string wav = dir / (name + ".wav");
        const std::string mp3 = dir / name;
        EXPECT_TRUE(RunProgram(
            {"sox", "-n", "-r", rate, "-c", channels, wav, "synth", "1", "sine", "440"}, log));
        std::vector<std::string> args = {"lame", "--quiet"};
        args.insert(args.end(), lameOptions.begin(), lameOptions.end());
        args.insert(args.end(), {wav, mp3});
        EXPECT_TRUE(RunProgram(args, log)) << ReadText(log);
        return mp3;
    }
    void Tagger(std::vector<std::string> args) {
        EXPECT_TRUE(RunProgram(args, log)) << ReadText(log);
    }

    // The block names file as the playing one, as the bridge writes it.
    void Playing(const std::string& file, int16_t state = msPlaying) {
        if (!block) block = TSharedBlock::Create(kMp3DataName, sizeof(TMp3Data), true);
        auto* data = static_cast<TMp3Data*>(block->Data());
        data->State = state;
        data->Path.Set("mpd:" + Utf8ToCp1251(file));
        ++tick; // the module looks at the block once per millisecond
        setTick(&tick);
        // The file is read beside the display thread: a look at the block starts it.
        Value(tagCheck);
        EXPECT_EQ(wait(20000), 1) << "the file is read";
    }
    std::string Value(int32_t index, const char* param = "0") { return module.Value(index, param); }
    std::string Utf8(int32_t index) { return Cp1251ToUtf8(Value(index)); }

    TPrivateBlocks blocks;
    TempDir dir;
    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv locale{"LC_ALL", "C"};
    std::string log = dir / "tools.log";
    std::unique_ptr<TSharedBlock> block;
    TBuiltModule module{"tagscan.so"};
    TSetTickFunc setTick = nullptr;
    TWaitBackgroundFunc wait = nullptr;
    uint64_t tick = 1000;
};

TEST_F(TaggedFiles, Version1Only) {
    const std::string file = Mp3("v1.mp3");
    Tagger({"id3v2", "-1", "-t", "Title v1", "-a", "Artist", "-A", "Album", "-y", "2001", "-c",
            "Comment", "-g", "17", file});
    Playing(file);
    EXPECT_EQ(Value(tagCheck), "");
    EXPECT_EQ(Value(tagTitle), "Title v1");
    EXPECT_EQ(Value(tagArtist), "Artist");
    EXPECT_EQ(Value(tagAlbum), "Album");
    EXPECT_EQ(Value(tagYear), "2001");
    EXPECT_EQ(Value(tagComment), "Comment");
    EXPECT_EQ(Value(tagGenre), "Rock");
    EXPECT_EQ(Value(tagBitrate), "128.00 kbps");
    EXPECT_EQ(Value(tagFreq), "44.10 kHz");
}

TEST_F(TaggedFiles, Version23Latin1) {
    const std::string file = Mp3("latin1.mp3");
    Tagger({"id3v2", "-2", "-t", "Caf\xE9 \xA9", "-a", "Band", "-A", "Record", "-y", "2002", "-c",
            "Latin comment", "-g", "17", file});
    Playing(file);
    EXPECT_EQ(Value(tagTitle), "Caf? \xA9"); // é is not in Windows-1251, © is
    EXPECT_EQ(Value(tagArtist), "Band");
    EXPECT_EQ(Value(tagYear), "2002");
    EXPECT_EQ(Value(tagComment), "Latin comment");
    EXPECT_EQ(Value(tagGenre), "Rock");
}

TEST_F(TaggedFiles, Version23Utf16Cyrillic) {
    const std::string file = Mp3("utf16.mp3");
    Tagger({"eyeD3", "--to-v2.3", "--encoding", "utf16", "-t", "Привет, мир", "-a", "Исполнитель",
            "-A", "Альбом", "-c", "Комментарий", "-G", "Rock", "--recording-date", "2003", file});
    Playing(file);
    EXPECT_EQ(Utf8(tagTitle), "Привет, мир");
    EXPECT_EQ(Utf8(tagArtist), "Исполнитель");
    EXPECT_EQ(Utf8(tagAlbum), "Альбом");
    EXPECT_EQ(Utf8(tagComment), "Комментарий");
    EXPECT_EQ(Value(tagYear), "2003");
    EXPECT_EQ(Value(tagGenre), "Rock");
}

TEST_F(TaggedFiles, Version24ReleaseYear) {
    const std::string file = Mp3("release.mp3");
    Tagger({"eyeD3", "--to-v2.4", "-t", "Released", "-Y", "2005", file});
    Playing(file);
    EXPECT_EQ(Value(tagTitle), "Released");
    EXPECT_EQ(Value(tagYear), "2005") << "eyeD3 -Y writes TDRL";
}

TEST_F(TaggedFiles, Version24Utf8) {
    const std::string file = Mp3("utf8.mp3");
    Tagger({"mid3v2", "-t", "Заголовок", "-a", "Группа", "-A", "Пластинка", "-y", "2024-05-01",
            "-g", "Trip-Hop", "-c", "Описание:Длинный комментарий:rus", file});
    Playing(file);
    EXPECT_EQ(Utf8(tagTitle), "Заголовок");
    EXPECT_EQ(Utf8(tagArtist), "Группа");
    EXPECT_EQ(Utf8(tagAlbum), "Пластинка");
    EXPECT_EQ(Value(tagYear), "2024");
    EXPECT_EQ(Value(tagGenre), "Trip-Hop");
    EXPECT_EQ(Utf8(tagComment), "Длинный комментарий");
}

TEST_F(TaggedFiles, ATitleOver512BytesIsPassedOver) {
    const std::string file = Mp3("long.mp3");
    Tagger({"mid3v2", "-t", std::string(600, 'x'), "-a", "Short", file});
    Tagger({"id3v2", "-1", "-t", "v1 title", file});
    Playing(file);
    EXPECT_EQ(Value(tagTitle), "");
    EXPECT_EQ(Value(tagArtist), "Short");
}

TEST_F(TaggedFiles, ChannelModeAndItsIcon) {
    const std::string mono = Mp3("mono.mp3", {"-m", "m", "-b", "64"});
    Playing(mono);
    EXPECT_EQ(Value(tagMode), "Mono");
    EXPECT_EQ(Value(tagComment), "ID3 information not found");
    EXPECT_EQ(Value(tagModeIcon, "'1112'"), "\x02");
    EXPECT_EQ(Value(tagModeIcon, "'11'"), "_MaskList:3;11");

    const std::string joint = Mp3("joint.mp3", {"-m", "j", "-b", "128"});
    Playing(joint);
    EXPECT_EQ(Value(tagMode), "Joint stereo");
    EXPECT_EQ(Value(tagModeIcon, "'1112'"), "\x01");

    // MPEG-2 layer III at 22.05 kHz.
    const std::string low = Mp3("low.mp3", {"-b", "80"}, "22050");
    Playing(low);
    EXPECT_EQ(Value(tagBitrate), "80.00 kbps");
    EXPECT_EQ(Value(tagFreq), "22.05 kHz");
}

TEST_F(TaggedFiles, NoDataSkipsAndAFileThatCannotBeOpenedKeepsThePreviousValues) {
    const std::string file = Mp3("kept.mp3");
    Tagger({"id3v2", "-2", "-t", "Kept", file});
    EXPECT_EQ(Value(tagCheck), "#skip"); // no block yet
    Playing(file);
    EXPECT_EQ(Value(tagTitle), "Kept");

    Playing(dir / "missing.mp3");
    EXPECT_EQ(Value(tagCheck), "");
    EXPECT_EQ(Value(tagTitle), "Kept");

    Playing(file, msNoData);
    EXPECT_EQ(Value(tagCheck), "#skip");
    EXPECT_EQ(Value(tagTitle), "");
    Playing(dir / "missing.mp3", msPaused); // data again, the same missing file
    EXPECT_EQ(Value(tagTitle), "Kept");
}

} // namespace
