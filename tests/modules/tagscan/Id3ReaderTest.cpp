// The tag reader on tags made byte by byte: the cases taggers do not make on request.
#include "modules/tagscan/Id3Reader.h"
#include "base/Cp1251.h"
#include "modules/tagscan/Genres.h"
#include "modules/tagscan/MpegHeader.h"
#include "tests/modules/tagscan/TagBytes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;
using namespace std::string_literals;

namespace {

const std::string kLatin1 = std::string(1, '\0');
const std::string kUtf16 = std::string(1, '\1');
const std::string kUtf16Be = std::string(1, '\2');
const std::string kUtf8 = std::string(1, '\3');

TFileInfo Read(const std::string& bytes) {
    TMemorySource source(bytes);
    TFileInfo info = ReadFileInfo(source);
    EXPECT_FALSE(source.ReadPastEnd());
    return info;
}

TEST(Id3Reader, CommentIsTheTextAfterLanguageAndDescription) {
    auto comment = [](const std::string& payload) {
        return Read(Tag(3, Frame(3, "COMM", kLatin1 + payload)) + Audio()).Comment;
    };
    EXPECT_EQ(comment(std::string("eng\0great", 9)), "great");
    EXPECT_EQ(comment(std::string("engAbout\0it\0", 12)), "it");
    EXPECT_EQ(comment(std::string("eng\0great\0", 10)), "great"); // a terminated text too
    EXPECT_EQ(comment(std::string("eng\0", 4)), "");

    // A comment without a description wins over players' described ones.
    const std::string two = Frame(3, "COMM", kLatin1 + std::string("engiTunNORM\0 0000", 17)) +
                            Frame(3, "COMM", kLatin1 + std::string("eng\0mine", 8));
    EXPECT_EQ(Read(Tag(3, two) + Audio()).Comment, "mine");
}

TEST(Id3Reader, LargeFramesArePassedOverAndVersion1IsNotConsultedAfterVersion2) {
    const std::string frames =
        Frame(3, "TIT2", kLatin1 + std::string(599, 'T')) + Frame(3, "TPE1", kLatin1 + "Artist");
    const TFileInfo info =
        Read(Tag(3, frames) + Audio() + V1Tag("v1 title", "v1 artist", "v1 album", "1999", "", 17));
    EXPECT_TRUE(info.HasId3v2);
    EXPECT_EQ(info.Title, "");
    EXPECT_EQ(info.Artist, "Artist");
    EXPECT_EQ(info.Album, "");
    EXPECT_EQ(info.BitRateKbps, 128u);
}

TEST(Id3Reader, ATagOfCountlessTinyFramesIsReadOnlySoFar) {
    std::string tiny;
    for (int i = 0; i < 5000; ++i) tiny += Frame(3, "TXXX", kLatin1);
    const std::string early = Frame(3, "TIT2", kLatin1 + "early") + tiny;
    const std::string late = tiny + Frame(3, "TPE1", kLatin1 + "late");
    const TFileInfo info = Read(Tag(3, early + late) + Audio());
    EXPECT_EQ(info.Title, "early");
    EXPECT_EQ(info.Artist, "") << "frames past the cap are not looked at";
    EXPECT_EQ(info.BitRateKbps, 128u) << "the audio after the tag is still found";
}

TEST(Id3Reader, Version1FieldsAndGenres) {
    TFileInfo info = Read(Audio() + V1Tag("  Title \x01", "Artist", "Album", "2001",
                                          "Comment" + std::string(22, '\0') + "\x07", 17));
    EXPECT_FALSE(info.HasId3v2);
    EXPECT_EQ(info.Title, "Title");
    EXPECT_EQ(info.Year, "2001");
    EXPECT_EQ(info.Comment, "Comment");
    EXPECT_EQ(info.Track, "7");
    EXPECT_EQ(info.Genre, "Rock");
    EXPECT_EQ(info.SampleRateHz, 44100u);
    EXPECT_EQ(Read(Audio() + V1Tag("Song", "", "", "", "", 255)).Genre, "");
    EXPECT_EQ(Read(Audio() + V1Tag("Song", "", "", "", "", 114)).Genre, "Folklore");
    // Version 1 text is kept as the bytes it is (Windows-1251 in the files of our users).
    EXPECT_EQ(Read(Audio() + V1Tag("Песня"_cp1251, "", "", "", "", 0)).Title, "Песня"_cp1251);
}

// Taggers put the year of a 2.4 tag into the recording, the release or the original release
// time; the recording year wins, then the release year, then the original one.
TEST(Id3Reader, YearOfVersion24ComesFromRecordingElseReleaseElseOriginalTime) {
    auto year = [](const std::string& frames) { return Read(Tag(4, frames) + Audio()).Year; };
    const std::string original = Frame(4, "TDOR", kLatin1 + "1975-01-01");
    const std::string release = Frame(4, "TDRL", kUtf8 + "2004-03");
    const std::string recording = Frame(4, "TDRC", kLatin1 + "2003-05-01T12:00");
    EXPECT_EQ(year(original), "1975");
    EXPECT_EQ(year(original + release), "2004");
    EXPECT_EQ(year(release + original), "2004") << "whatever the order";
    EXPECT_EQ(year(release + recording + original), "2003");
    EXPECT_EQ(year(Frame(4, "TDRC", kLatin1) + release), "2004") << "an empty recording time";
    EXPECT_EQ(Read(Tag(3, Frame(3, "TYER", kLatin1 + "1999")) + Audio()).Year, "1999");
}

TEST(Id3Reader, WithoutAnyTagTheCommentSaysSo) {
    const TFileInfo info = Read(Audio(0xFFFB90C4));
    EXPECT_EQ(info.Comment, kId3NotFound);
    EXPECT_EQ(info.Title, "");
    // The audio still tells its format.
    EXPECT_EQ(info.BitRateKbps, 128u);
    EXPECT_EQ(info.ChannelMode, cmMono);
    EXPECT_EQ(Read("").Comment, kId3NotFound);
}

TEST(Id3Reader, FrameHeaders) {
    const TMpegHeader mp3 = DecodeMpegHeader(0xFFFB9064);
    EXPECT_EQ(mp3.BitRateKbps, 128u);
    EXPECT_EQ(mp3.SampleRateHz, 44100u);
    EXPECT_EQ(mp3.ChannelMode, cmJointStereo);
    // MPEG-2 and 2.5 layer III: the rates of the standard's own tables.
    EXPECT_EQ(DecodeMpegHeader(0xFFF39064).BitRateKbps, 80u);
    EXPECT_EQ(DecodeMpegHeader(0xFFF39064).SampleRateHz, 22050u);
    EXPECT_EQ(DecodeMpegHeader(0xFFE390C4).SampleRateHz, 11025u);
    EXPECT_EQ(DecodeMpegHeader(0xFFE390C4).ChannelMode, cmMono);
    EXPECT_EQ(DecodeMpegHeader(0xFFFD9064).BitRateKbps, 160u); // MPEG-1 layer II
    // Reserved version, layer, bit-rate index 15, sampling index 3.
    EXPECT_EQ(DecodeMpegHeader(0xFFEB9064).SampleRateHz, 0u);
    EXPECT_EQ(DecodeMpegHeader(0xFFF99064).BitRateKbps, 0u);
    EXPECT_EQ(DecodeMpegHeader(0xFFFBF064).BitRateKbps, 0u);
    EXPECT_EQ(DecodeMpegHeader(0xFFFB9C64).SampleRateHz, 0u);
}

TEST(Id3Reader, TheFirstFrameIsLookedForAfterTheTag) {
    const std::string junk = "\x01\x02\xFF\x00 junk"s;
    EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", kLatin1 + "t")) + junk + Audio(0xFFFB50C4)).BitRateKbps,
              64u);
}

TEST(Id3Reader, Version22Tags) {
    const std::string frames =
        Frame(2, "TT2", kLatin1 + "Two two") + Frame(2, "TP1", kUtf16 + "\xFF\xFE\x1F\x04"s) +
        Frame(2, "TCO", kLatin1 + "(17)") + Frame(2, "TYE", kLatin1 + "1998") +
        Frame(2, "COM", kLatin1 + std::string("eng\0old", 7));
    const TFileInfo info = Read(Tag(2, frames) + Audio());
    EXPECT_TRUE(info.HasId3v2);
    EXPECT_EQ(info.Title, "Two two");
    EXPECT_EQ(info.Artist, "П"_cp1251);
    EXPECT_EQ(info.Genre, "Rock");
    EXPECT_EQ(info.Year, "1998");
    EXPECT_EQ(info.Comment, "old");
    // A compressed 2.2 tag cannot be read: version 1 is used.
    EXPECT_EQ(Read(Tag(2, frames, 0x40) + Audio() + V1Tag("v1", "", "", "", "", 0)).Title, "v1");
}

TEST(Id3Reader, TextEncodingsBecomeWindows1251) {
    auto title = [](int major, const std::string& payload) {
        return Read(Tag(major, Frame(major, "TIT2", payload)) + Audio()).Title;
    };
    EXPECT_EQ(title(3, kLatin1 + "Caf\xE9 \xA9"), "Caf? \xA9");
    EXPECT_EQ(title(3, kUtf16 + "\xFF\xFE\x1F\x04\x40\x04\x38\x04\0\0tail"s), "При"_cp1251);
    EXPECT_EQ(title(3, kUtf16 + "\xFE\xFF\x04\x1F\x04\x40"s), "Пр"_cp1251);
    EXPECT_EQ(title(4, kUtf16Be + "\x04\x1F\x04\x40"s), "Пр"_cp1251);
    EXPECT_EQ(title(4, kUtf8 + "\xEF\xBB\xBFЗвук\0second"s), "Звук"_cp1251);
    EXPECT_EQ(title(4, kUtf8 + "日本"), "??");
    EXPECT_EQ(title(3, kUtf16 + "\xFF\xFE\x3D\xD8\x00\xDE!\0"s), "?!"); // a pair: one character
    EXPECT_EQ(title(3, kUtf16 + "\xFF\xFE\x00\xD8"s), "?");
    EXPECT_EQ(title(3, kUtf16 + "\xFF\xFE\x41"s), ""); // half a character
}

TEST(Id3Reader, GenreTexts) {
    EXPECT_EQ(GenreText("(17)"), "Rock");
    EXPECT_EQ(GenreText("17"), "Rock");
    EXPECT_EQ(GenreText("(4)Eurodisco"), "Eurodisco");
    EXPECT_EQ(GenreText("(17)(6)"), "Rock");
    EXPECT_EQ(GenreText("((Bracketed)"), "((Bracketed)");
    EXPECT_EQ(GenreText("(255)"), "(255)");
    EXPECT_EQ(GenreText("RX"), "Remix");
    EXPECT_EQ(GenreText("Trip-Hop"), "Trip-Hop");
    EXPECT_EQ(GenreName(40), "AlternRock");
    EXPECT_EQ(GenreName(67), "Psychadelic");
    EXPECT_EQ(GenreName(113), "Samba");
}

TEST(Id3Reader, UnsynchronisationExtendedHeadersAndFrameFlags) {
    // 2.3: the whole tag unsynchronised, every 0xFF followed by a 0x00 that is not part of it.
    std::string unsynced;
    for (char c : Frame(3, "TIT2",
                        kLatin1 + "a\xFF"
                                  "b") +
                      Frame(3, "TPE1", kLatin1 + "c"))
        unsynced += c == '\xFF' ? "\xFF\x00"s : std::string(1, c);
    const TFileInfo resynced = Read(Tag(3, unsynced, 0x80) + Audio());
    EXPECT_EQ(resynced.Title, "a?b"); // ÿ, which Windows-1251 lacks
    EXPECT_EQ(resynced.Artist, "c");

    // 2.3 extended header of 6 bytes after its size.
    const std::string extended = BigEndian(6) + std::string(6, '\0');
    EXPECT_EQ(Read(Tag(3, extended + Frame(3, "TALB", kLatin1 + "ext"), 0x40) + Audio()).Album,
              "ext");
    // 2.4 extended header counts its own size.
    const std::string extended4 = SynchsafeBytes(6) + "\x01\x00"s;
    EXPECT_EQ(Read(Tag(4, extended4 + Frame(4, "TALB", kUtf8 + "ext4"), 0x40) + Audio()).Album,
              "ext4");

    // 2.4 frame with a data-length indicator and its own unsynchronisation.
    const std::string flagged = Frame(4, "TPE1",
                                      BigEndian(4) + kLatin1 +
                                          "x\xFF\x00"
                                          "y"s,
                                      0x03);
    EXPECT_EQ(Read(Tag(4, flagged) + Audio()).Artist, "x?y");
    // Compressed and encrypted frames are passed over.
    EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", kLatin1 + "zip", 0x80)) + Audio()).Title, "");
    EXPECT_EQ(Read(Tag(4, Frame(4, "TIT2", kLatin1 + "zip", 0x08)) + Audio()).Title, "");
}

TEST(Id3Reader, DamagedTagsKeepWhatWasReadBeforeTheDamage) {
    std::string frames = Frame(3, "TIT2", kLatin1 + "kept") + "TPE1" + BigEndian(100000) + "\0\0"s;
    const TFileInfo info = Read(Tag(3, frames, 0, 0) + Audio());
    EXPECT_EQ(info.Title, "kept");
    EXPECT_EQ(info.Artist, "");
    // A size byte with its top bit set is no version 2 tag: version 1 is used.
    std::string bad = Tag(3, Frame(3, "TIT2", kLatin1 + "x"));
    bad[6] = '\x80';
    EXPECT_EQ(Read(bad + Audio() + V1Tag("one", "", "", "", "", 1)).Title, "one");
}

} // namespace
