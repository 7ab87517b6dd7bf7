// The KS0108 driver's port writes, decoded back into the bytes each half latched.
#include "drivers/graphport/LCDControl_KS0108_LPT.h"
#include "tests/drivers/FakePort.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

struct TGraphPanel {
    TFakePort fake;
    TLCDControl_KS0108_LPT driver;
    int64_t nowMs = 100000;
    std::vector<int> sleeps;

    TGraphPanel() {
        driver.SetPortLibraryPath(TFakePort::kPath);
        driver.SetSleeper([this](int ms) { sleeps.push_back(ms); });
        driver.SetClock([this] { return nowMs; });
        driver.SetWriteDelay(0);
        driver.SetActive(true);
    }
    std::vector<TKs0108Latch> Take() {
        auto latches = Ks0108Latches(fake.Writes(), driver.DataPort());
        fake.Reset();
        return latches;
    }
    void Write(uint8_t col, uint8_t row, std::string_view text) {
        driver.WriteText(col, row, text.data(), text.size());
    }
};

TKs0108Latch Instruction(int half, uint8_t code) { return {half, false, code}; }
TKs0108Latch Data(int half, uint8_t value) { return {half, true, value}; }

const std::vector<TKs0108Latch> kRefresh = {Instruction(0, 0x3F), Instruction(1, 0x3F),
                                            Instruction(0, 0xC0), Instruction(1, 0xC0)};

} // namespace

TEST(GraphportWire, InitialisesBothHalvesAndRefreshesEveryFiveSeconds) {
    TGraphPanel panel;
    auto latches = panel.Take();
    // The first write ever also sends the refresh, right after itself.
    std::vector<TKs0108Latch> expected{Instruction(0, 0x3F)};
    expected.insert(expected.end(), kRefresh.begin(), kRefresh.end());
    expected.insert(expected.end(),
                    {Instruction(1, 0x3F), Instruction(0, 0xC0), Instruction(1, 0xC0)});
    EXPECT_EQ(latches, expected);

    panel.nowMs += 5000;
    panel.Write(1, 1, "");
    EXPECT_EQ(panel.Take(), (std::vector<TKs0108Latch>{Instruction(0, 0xB8), Instruction(1, 0xB8)}))
        << "not yet: five seconds have not passed";
    panel.nowMs += 1;
    panel.Write(1, 1, "");
    latches = panel.Take();
    ASSERT_EQ(latches.size(), 2 + kRefresh.size());
    EXPECT_EQ(std::vector<TKs0108Latch>(latches.begin() + 1, latches.end() - 1), kRefresh);
}

TEST(GraphportWire, CharacterStraddlingTheHalvesIsSplit) {
    TGraphPanel panel;
    panel.Take();
    panel.Write(11, 1, "A");
    EXPECT_EQ(panel.Take(),
              (std::vector<TKs0108Latch>{Instruction(0, 0xB8), Instruction(1, 0xB8),
                                         Instruction(0, 0x40 | 60), Data(0, 0x7E), Data(0, 0x11),
                                         Data(0, 0x11), Data(0, 0x11), Instruction(1, 0x40),
                                         Data(1, 0x7E), Data(1, 0x00)}));
    panel.Write(21, 8, "A");
    EXPECT_EQ(panel.Take(), (std::vector<TKs0108Latch>{Instruction(0, 0xBF), Instruction(1, 0xBF),
                                                       Instruction(1, 0x40 | 56), Data(1, 0x7E),
                                                       Data(1, 0x11), Data(1, 0x11), Data(1, 0x11),
                                                       Data(1, 0x7E), Data(1, 0x00)}));
}

TEST(GraphportWire, TextOutsideThePanelIsDropped) {
    TGraphPanel panel;
    panel.Take();
    panel.Write(21, 1, "AB");
    EXPECT_EQ(panel.Take().size(), 2u + 1 + 6) << "only column 21 is written";
    panel.Write(1, 9, "A");
    panel.Write(1, 0, "A");
    EXPECT_TRUE(panel.Take().empty());
    panel.Write(0, 1, "AB");
    const auto latches = panel.Take();
    ASSERT_EQ(latches.size(), 2u + 1 + 6);
    EXPECT_EQ(latches[2], Instruction(0, 0x40)) << "column 0 is dropped, B lands in column 1";
}

TEST(GraphportWire, ClearWritesEveryPageOfBothHalves) {
    TGraphPanel panel;
    panel.Take();
    panel.driver.Clear();
    const auto latches = panel.Take();
    ASSERT_EQ(latches.size(), 8u * (3 + 128 + 1));
    for (int p = 0; p < 8; ++p) {
        const auto* page = &latches[p * 132];
        EXPECT_EQ(page[0], Instruction(0, 0xB8 | p));
        EXPECT_EQ(page[1], Instruction(1, 0xB8 | p));
        EXPECT_EQ(page[2], Instruction(0, 0x40));
        EXPECT_EQ(page[3], Data(0, 0));
        EXPECT_EQ(page[66], Data(0, 0));
        EXPECT_EQ(page[67], Instruction(1, 0x40));
        EXPECT_EQ(page[68], Data(1, 0));
        EXPECT_EQ(page[131], Data(1, 0));
    }
}

TEST(GraphportGlyphs, DefineCharChangesTheLibraryFontForLaterDrivers) {
    TLCDControl_KS0108_LPT before;
    const uint8_t pattern[8] = {0x10, 0x08, 0x04, 0x02, 0x01, 0x00, 0x00, 0xFF};
    before.DefineChar(0, pattern); // inactive: nothing sent, the shape changes all the same
    const TLCDControl_KS0108_LPT::TGlyphColumns diagonal = {0x81, 0x82, 0x84, 0x88, 0x90, 0x00};
    EXPECT_EQ(before.GlyphColumns(1), diagonal);
    TLCDControl_KS0108_LPT after;
    EXPECT_EQ(after.GlyphColumns(1), diagonal);
    EXPECT_EQ(after.GetColCount(), 21);
    after.SetColCount(40);
    after.SetRowCount(2);
    EXPECT_EQ(after.GetColCount(), 21);
    EXPECT_EQ(after.GetRowCount(), 8);
    EXPECT_EQ(after.GetPort(), "$0378");
    EXPECT_EQ(after.GetWriteDelay(), 1000);
}

// The panel keeps pixels: a new shape for a code on the panel is drawn into every cell that
// holds it, at once, as an HD44780 shows it by itself; other cells and codes are left alone.
TEST(GraphportGlyphs, RedefinedCharacterIsDrawnAgainWhereItIsShown) {
    TGraphPanel panel;
    panel.Write(1, 2,
                "\x01"
                "A\x01");
    panel.Write(15, 7, "\x01");
    panel.Take();

    const uint8_t bar[8] = {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10};
    panel.driver.DefineChar(0, bar);
    const std::vector<TKs0108Latch> column = {Data(0, 0xFF), Data(0, 0), Data(0, 0),
                                              Data(0, 0),    Data(0, 0), Data(0, 0)};
    std::vector<TKs0108Latch> expected = {Instruction(0, 0xB9), Instruction(1, 0xB9),
                                          Instruction(0, 0x40)};
    expected.insert(expected.end(), column.begin(), column.end());
    expected.push_back(Instruction(0, 0x40 | 12));
    expected.insert(expected.end(), column.begin(), column.end());
    expected.insert(expected.end(),
                    {Instruction(0, 0xBE), Instruction(1, 0xBE), Instruction(1, 0x40 | 20)});
    for (const TKs0108Latch& latch : column) expected.push_back(Data(1, latch.value));
    EXPECT_EQ(panel.Take(), expected);

    panel.driver.DefineChar(0, bar);
    EXPECT_TRUE(panel.Take().empty()) << "the same shape again";
    const uint8_t dot[8] = {0, 0, 0, 0x04, 0, 0, 0, 0};
    panel.driver.DefineChar(1, dot);
    EXPECT_TRUE(panel.Take().empty()) << "code 2 is nowhere on the panel";

    // Text written over a cell, and Clear, end what the panel shows of the code.
    panel.Write(1, 2, "B");
    panel.driver.Clear();
    panel.Write(3, 2, "\x02");
    panel.Take();
    panel.driver.DefineChar(0, dot);
    EXPECT_TRUE(panel.Take().empty());
    panel.driver.DefineChar(1, bar);
    EXPECT_EQ(panel.Take().size(), 2u + 1 + 6) << "one cell";
}
