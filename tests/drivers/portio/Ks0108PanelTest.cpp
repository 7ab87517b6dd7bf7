#include "drivers/portio/PortEmulator.h"
#include "font/Font5x8.h"
#include "base/Cp1251.h"
#include "tests/drivers/portio/PanelWrites.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

namespace orv {
namespace {

using namespace orv::test;

constexpr uint8_t kLeft = 0x00, kRight = 0x06;

// The six column bytes of a character cell, bit 0 = top row.
std::array<uint8_t, 6> CellColumns(uint8_t code) {
    std::array<uint8_t, 6> columns{};
    const TGlyph5x8& glyph = Font5x8Glyph(code);
    for (int j = 0; j < 5; ++j)
        for (int r = 0; r < 8; ++r)
            if (glyph[r] & (0x10 >> j)) columns[j] |= static_cast<uint8_t>(1 << r);
    return columns;
}

// Draws a character in text cell (row, cell) as the graphic driver does, switching to the
// right half at pixel column 64.
void DrawCell(const TPortWrite& write, int row, int cell, uint8_t code) {
    Ks0108Instruction(write, static_cast<uint8_t>(0xB8 | row), kLeft);
    Ks0108Instruction(write, static_cast<uint8_t>(0xB8 | row), kRight);
    int x = cell * 6;
    Ks0108Instruction(write, static_cast<uint8_t>(0x40 | (x % 64)), x < 64 ? kLeft : kRight);
    for (uint8_t column : CellColumns(code)) {
        Ks0108Data(write, column, x < 64 ? kLeft : kRight);
        if (++x == 64) Ks0108Instruction(write, 0x40, kRight);
    }
}

void SwitchOn(const TPortWrite& write) {
    for (uint8_t h : {kLeft, kRight}) {
        Ks0108Instruction(write, 0x3F, h);
        Ks0108Instruction(write, 0xC0, h);
    }
}

TEST(Ks0108Panel, ChipSelectsPickTheHalves) {
    TKs0108Panel panel;
    const auto write = WriterOf(panel);
    SwitchOn(write);
    Ks0108Data(write, 0x81, kLeft);
    Ks0108Data(write, 0x42, kRight);
    EXPECT_EQ(panel.Half(0).Ram(0, 0), 0x81);
    EXPECT_EQ(panel.Half(1).Ram(0, 0), 0x42);
    EXPECT_TRUE(panel.Pixel(0, 0) && panel.Pixel(0, 7) && panel.Pixel(64, 1));
    EXPECT_FALSE(panel.Pixel(64, 0));

    // The mixed half-select codes: 0x02 selects neither half, 0x04 both (active-high selects).
    Ks0108Data(write, 0x11, 0x02);
    EXPECT_EQ(panel.Half(0).Ram(0, 1), 0x00);
    EXPECT_EQ(panel.Half(1).Ram(0, 1), 0x00);
    Ks0108Data(write, 0x22, 0x04);
    EXPECT_EQ(panel.Half(0).Ram(0, 1), 0x22);
    EXPECT_EQ(panel.Half(1).Ram(0, 1), 0x22);

    // Active-low selects read the same two driver codes the same way, the mixed ones reversed.
    TKs0108Panel activeLow(true);
    const auto writeLow = WriterOf(activeLow);
    SwitchOn(writeLow);
    Ks0108Data(writeLow, 0x81, kLeft);
    Ks0108Data(writeLow, 0x42, kRight);
    Ks0108Data(writeLow, 0x11, 0x02);
    Ks0108Data(writeLow, 0x22, 0x04);
    EXPECT_EQ(activeLow.Half(0).Ram(0, 0), 0x81);
    EXPECT_EQ(activeLow.Half(1).Ram(0, 0), 0x42);
    EXPECT_EQ(activeLow.Half(0).Ram(0, 1), 0x11);
    EXPECT_EQ(activeLow.Half(1).Ram(0, 1), 0x11);
}

TEST(Ks0108Panel, ColumnAdvancesAndWrapsWithinItsPageAndHalf) {
    TKs0108Panel panel;
    const auto write = WriterOf(panel);
    Ks0108Instruction(write, 0xBB, kLeft);
    Ks0108Instruction(write, 0x40 | 62, kLeft);
    for (uint8_t d : {0x01, 0x02, 0x03}) Ks0108Data(write, d, kLeft);
    EXPECT_EQ(panel.Half(0).Ram(3, 62), 0x01);
    EXPECT_EQ(panel.Half(0).Ram(3, 63), 0x02);
    EXPECT_EQ(panel.Half(0).Ram(3, 0), 0x03);
    EXPECT_EQ(panel.Half(0).Page(), 3);
    EXPECT_EQ(panel.Half(0).Column(), 1);
    EXPECT_EQ(panel.Half(1).Ram(3, 0), 0x00);
    EXPECT_EQ(panel.Half(1).Column(), 0);
    Ks0108Instruction(write, 0x12, kLeft); // undefined codes are ignored
    EXPECT_EQ(panel.Half(0).Column(), 1);
    EXPECT_EQ(panel.Half(0).Page(), 3);
}

TEST(Ks0108Panel, DisplaySwitchAndStartLine) {
    TKs0108Panel panel;
    const auto write = WriterOf(panel);
    EXPECT_FALSE(panel.DisplayOn());
    Ks0108Instruction(write, 0x3F, kLeft);
    EXPECT_TRUE(panel.Half(0).DisplayOn());
    EXPECT_FALSE(panel.DisplayOn());
    Ks0108Instruction(write, 0x3F, kRight);
    EXPECT_TRUE(panel.DisplayOn());

    Ks0108Instruction(write, 0xB9, kLeft);
    Ks0108Data(write, 0x01, kLeft); // RAM line 8, column 0
    EXPECT_TRUE(panel.Pixel(0, 8));
    const uint64_t revision = panel.Revision();
    Ks0108Instruction(write, 0xC8, kLeft); // start line 8: RAM line 8 at the top
    EXPECT_GT(panel.Revision(), revision);
    EXPECT_EQ(panel.Half(0).StartLine(), 8);
    EXPECT_TRUE(panel.Pixel(0, 0));
    EXPECT_FALSE(panel.Pixel(0, 8));
    Ks0108Instruction(write, 0x3E, kRight);
    EXPECT_FALSE(panel.DisplayOn());
}

TEST(Ks0108Panel, LatchesOnlyOnTheFallingEdgeOfEnable) {
    TKs0108Panel panel(false, 0x01); // enable low to begin with
    const auto write = WriterOf(panel);
    write(kControlRegister, 0x01);
    write(kDataRegister, 0xFF); // data alone
    write(kControlRegister, 0x01);
    write(kControlRegister, 0x00); // enable rising
    EXPECT_EQ(panel.Half(0).Ram(0, 0), 0x00);
    write(kControlRegister, 0x01); // falling: display data (bit 3 clear)
    EXPECT_EQ(panel.Half(0).Ram(0, 0), 0xFF);
    write(kDataRegister, 0x3F);
    write(kControlRegister, 0x08);
    write(kControlRegister, 0x09); // falling with bit 3 set: an instruction
    EXPECT_TRUE(panel.Half(0).DisplayOn());
    EXPECT_EQ(panel.Half(0).Ram(0, 1), 0x00);
}

TEST(Ks0108Panel, DecodesTextCellsThroughTheFont) {
    TKs0108Panel panel;
    const auto write = WriterOf(panel);
    SwitchOn(write);
    DrawCell(write, 0, 10, 'A'); // straddles the halves: four columns left, two right
    EXPECT_EQ(panel.Half(0).Ram(0, 60), CellColumns('A')[0]);
    EXPECT_EQ(panel.Half(1).Ram(0, 0), CellColumns('A')[4]);
    EXPECT_EQ(panel.CellCode(0, 10), 'A');
    EXPECT_EQ(panel.TextRow(0), std::string(10, ' ') + "A" + std::string(10, ' '));

    const std::string word = "Привет"_cp1251;
    for (size_t i = 0; i < word.size(); ++i)
        DrawCell(write, 7, static_cast<int>(i), static_cast<uint8_t>(word[i]));
    DrawCell(write, 7, 7, 0x01);
    DrawCell(write, 7, 8, '\\');
    DrawCell(write, 7, 9, 0xB9);
    DrawCell(write, 7, 20, 0x90);
    EXPECT_EQ(panel.TextRow(7), "Пpивeт \\x01\\x5C№" + std::string(10, ' ') + "\\x7F");

    // A lit spacing column, or a pattern that is no glyph, reads as '?'.
    Ks0108Instruction(write, 0xB8 | 3, kLeft);
    Ks0108Instruction(write, 0x40 | 5, kLeft);
    Ks0108Data(write, 0x01, kLeft);
    Ks0108Instruction(write, 0x40 | 6, kLeft);
    Ks0108Data(write, 0x55, kLeft);
    EXPECT_EQ(panel.CellCode(3, 0), -1);
    EXPECT_EQ(panel.TextRow(3).substr(0, 3), "?? ");
}

TEST(Ks0108Panel, StateTextHasPixelsAndTextRows) {
    TKs0108Panel panel;
    const auto write = WriterOf(panel);
    std::string expected = "ks0108 128x64 off\n";
    for (int y = 0; y < 64; ++y) expected += std::string(128, '.') + "\n";
    for (int r = 0; r < 8; ++r) expected += "|" + std::string(21, ' ') + "|\n";
    EXPECT_EQ(panel.StateText(), expected);

    SwitchOn(write);
    DrawCell(write, 1, 0, 'A');
    const std::string text = panel.StateText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "ks0108 128x64 on");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 64 + 8);
    // Row 8 (the top of text row 2) of 'A' is .###. at the left edge.
    EXPECT_EQ(text.substr(text.find('\n') + 1 + 8 * 129, 6), ".###..");
    EXPECT_NE(text.find("\n|A" + std::string(20, ' ') + "|\n"), std::string::npos);
}

} // namespace
} // namespace orv
