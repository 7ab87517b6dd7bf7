// Random and truncated tag bytes: the reader (built here with the address and undefined
// behaviour checkers) must neither crash nor read outside the data.
#include "modules/tagscan/Id3Reader.h"
#include "tests/modules/tagscan/TagBytes.h"

#include <gtest/gtest.h>
#include <random>

using namespace orv;
using namespace orv::test;

namespace {

void Check(const std::string& bytes) {
    TMemorySource source(bytes);
    const TFileInfo info = ReadFileInfo(source);
    ASSERT_FALSE(source.ReadPastEnd());
    // Frames above 512 bytes are passed over, so no text can be longer.
    for (const std::string* text : {&info.Title, &info.Artist, &info.Album, &info.Comment})
        ASSERT_LE(text->size(), 512u);
}

// A plausible tag of the given version with frames of every kind the reader stores.
std::string SampleTag(int major) {
    const std::string utf16 = std::string("\x01\xFF\xFE\x1F\x04\x40\x04\0\0", 9);
    std::string frames;
    const char* ids23[] = {"TIT2", "TPE1", "TALB", "TCON", "TYER", "TRCK", "TDRC"};
    const char* ids22[] = {"TT2", "TP1", "TAL", "TCO", "TYE", "TRK"};
    if (major == 2)
        for (const char* id : ids22) frames += Frame(2, id, utf16);
    else
        for (const char* id : ids23) frames += Frame(major, id, utf16);
    frames += Frame(major, major == 2 ? "COM" : "COMM",
                    std::string("\x00"
                                "eng\0text",
                                9));
    return Tag(major, frames, 0, 8) + Audio() + V1Tag("t", "a", "b", "2000", "c", 17);
}

TEST(Id3ReaderFuzz, RandomBytes) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes(random() % 700, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        // Half the rounds start like a tag, so the frame walk is reached.
        if (round % 2 == 0 && bytes.size() >= 10) {
            bytes.replace(0, 3, "ID3");
            bytes[3] = static_cast<char>(2 + random() % 3);
            for (int i = 6; i < 10; ++i) bytes[i] = static_cast<char>(random() % 0x80);
        }
        SCOPED_TRACE(round);
        Check(bytes);
    }
}

TEST(Id3ReaderFuzz, TruncatedAndDamagedTags) {
    std::mt19937 random(7);
    for (int major : {2, 3, 4}) {
        const std::string tag = SampleTag(major);
        for (size_t length = 0; length <= tag.size(); ++length) {
            SCOPED_TRACE(major * 10000 + static_cast<int>(length));
            Check(tag.substr(0, length));
        }
        for (int round = 0; round < 2000; ++round) {
            std::string damaged = tag;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
                damaged[random() % damaged.size()] = static_cast<char>(random());
            SCOPED_TRACE(major * 10000 + round);
            Check(damaged);
        }
    }
}

} // namespace
