#include "modules/common/WallClock.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using orv::test::TBuiltModule;

namespace {

enum : int32_t { clockTag, row1, row2, row3 };

// The digit shapes written with the glyph codes: '1'..'6' stand for codes 1..6, '.' for a blank.
constexpr const char* kShapes[10][3] = {{"4553", "4..3", "2551"}, {"...3", "...3", "...1"},
                                        {"2553", "4551", "2551"}, {"2553", ".553", "2551"},
                                        {"4..3", "2553", "...1"}, {"4551", "2553", "2551"},
                                        {"4551", "4553", "2551"}, {".553", "...3", "...1"},
                                        {"4553", "4553", "2551"}, {"4553", "2553", "2551"}};

// Row r (1..3) of hh:mm as the clock should draw it.
std::string ExpectedRow(int r, int hour, int minute, bool colon) {
    const auto shape = [r](int digit) {
        std::string out;
        for (char c : std::string(kShapes[digit][r - 1]))
            out += c == '.' ? ' ' : static_cast<char>(c - '0');
        return out;
    };
    return shape(hour / 10) + shape(hour % 10) + (colon && r < 3 ? "\x06" : " ") +
           shape(minute / 10) + shape(minute % 10);
}

// tallfour with its wall clock pinned through the test export.
class TPinnedTallfour : public TBuiltModule {
public:
    TPinnedTallfour() : TBuiltModule("tallfour.so") {
        if (Loaded())
            setClock_ = reinterpret_cast<TSetWallClockFunc>(Library().Symbol(kSetWallClockExport));
    }
    bool CanPin() const { return setClock_ != nullptr; }
    void Pin(int hour, int minute, int second) {
        const TWallTime time{2026, 3, 14, hour, minute, second};
        setClock_(&time);
    }
    void Unpin() { setClock_(nullptr); }

private:
    TSetWallClockFunc setClock_ = nullptr;
};

} // namespace

TEST(Tallfour, DescriptorListsTheClockTags) {
    TBuiltModule module("tallfour.so");
    ASSERT_TRUE(module.Loaded());
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Fullscreen clock");
    EXPECT_TRUE(Cp1251ToUtf8(d.Description)
                    .starts_with("\"Полноэкранные\" часы для 4-х строчного экрана\r\r"));
    EXPECT_EQ(d.Id, 24);
    EXPECT_EQ(Cp1251ToUtf8(d.GroupCaption), "4-х строчные часы");
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$tallfour", "$bigClock_1", "$bigClock_2", "$bigClock_3"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagCaptions),
              TBuiltModule::Sixteen(
                  {"включить часы", "строка 1 из 3-х", "строка 2 из 3-х", "строка 3 из 3-х"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples)[3], "$bigClock_3[,,,2]$");
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[4]), "Этот тег покажет 3-ю из 3-х строчек больших часов");
    EXPECT_NE(d.LoadSettings, nullptr);
    EXPECT_EQ(d.Configure, nullptr);
    EXPECT_EQ(d.Finalize, nullptr);
}

TEST(Tallfour, RowsAt0941WithTheColonBlinkingBySeconds) {
    TPinnedTallfour module;
    ASSERT_TRUE(module.CanPin());
    module.Pin(9, 41, 10);
    const std::string even[] = {module.Value(row1), module.Value(row2), module.Value(row3)};
    EXPECT_EQ(even[0], std::string("\x04\x05\x05\x03\x04\x05\x05\x03\x06\x04  \x03   \x03", 17));
    EXPECT_EQ(even[1][8], '\x06');
    EXPECT_EQ(even[2][8], ' ') << "row 3 never shows the colon";

    module.Pin(9, 41, 11);
    for (int r = 0; r < 3; ++r) {
        std::string odd = module.Value(row1 + r);
        ASSERT_EQ(odd.size(), 17u);
        EXPECT_EQ(odd[8], ' ');
        odd[8] = even[r][8];
        EXPECT_EQ(odd, even[r]) << "only the colon changes, row " << r + 1;
    }
    module.Unpin();
}

TEST(Tallfour, EveryDigitIsDrawnInEveryPosition) {
    TPinnedTallfour module;
    ASSERT_TRUE(module.CanPin());
    // Hours 00..23 and minutes 00..59 put each digit in every position it can take.
    for (int hour = 0; hour < 24; ++hour) {
        const int minute = (hour * 7 + 5) % 60;
        module.Pin(hour, minute, hour % 2);
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(module.Value(r), ExpectedRow(r, hour, minute, hour % 2 == 0)) << hour;
    }
    for (int minute = 0; minute < 60; ++minute) {
        module.Pin(20, minute, 0);
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(module.Value(r), ExpectedRow(r, 20, minute, true)) << minute;
    }
    module.Unpin();
}

TEST(Tallfour, ClockTagReleaseAndTheSystemClock) {
    TPinnedTallfour module;
    ASSERT_TRUE(module.CanPin());
    EXPECT_EQ(module.Value(clockTag, "'whatever'"), "_4Clock") << "the argument is ignored";
    EXPECT_EQ(module.Value(-1), "");
    EXPECT_EQ(module.Value(4), "") << "unknown index";
    EXPECT_EQ(module.Value(0x55550000 | row1).size(), 17u) << "only the low 16 bits count";

    module.Pin(12, 0, 0);
    module.Unpin();
    const std::string row = module.Value(row3);
    ASSERT_EQ(row.size(), 17u);
    EXPECT_EQ(row[8], ' ');
}

TEST(Tallfour, LoadSettingsSucceedsWithAnyOrNoSettingsFile) {
    TBuiltModule module("tallfour.so");
    ASSERT_TRUE(module.Loaded());
    const TLoadSettingsFunc loadSettings = module.Descriptor().LoadSettings;
    orv::test::TempDir docs;
    orv::test::ScopedEnv env("XDG_DOCUMENTS_DIR", docs.Path());
    EXPECT_EQ(loadSettings(), 0) << "no settings file";
    orv::test::WriteText(docs / "Orvanta3.ini", "[Common]\nLanguage=English.lng\n");
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(loadSettings(), 0) << "again after a save of the settings";
    std::filesystem::remove(docs / "Orvanta3.ini");
    std::filesystem::create_directory(docs / "Orvanta3.ini");
    EXPECT_EQ(loadSettings(), 0) << "unreadable settings file";
    EXPECT_EQ(module.Value(clockTag), "_4Clock");
}
