#include "drivers/portio/Hd44780Charset.h"
#include "drivers/portio/PortEmulator.h"
#include "base/Cp1251.h"
#include "tests/drivers/portio/PanelWrites.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

using namespace orv::test;

std::string Spaces(int n) { return std::string(n, ' '); }

TEST(Hd44780Panel, DecodesTheInstructionSet) {
    THd44780Panel panel(2, 16);
    const auto write = WriterOf(panel);
    const THd44780Controller& ctl = panel.Controller(0);
    EXPECT_FALSE(ctl.DisplayOn());
    EXPECT_FALSE(ctl.TwoLines());

    Hd44780Init(write);
    EXPECT_TRUE(ctl.DisplayOn() && ctl.TwoLines() && ctl.EightBit() && ctl.Increment());
    EXPECT_FALSE(ctl.ShiftOnWrite() || ctl.CursorOn() || ctl.BlinkOn() || ctl.LargeFont());

    Hd44780Text(write, "AB");
    EXPECT_EQ(ctl.AddressCounter(), 2);
    Hd44780Instruction(write, 0x02); // home keeps DDRAM
    EXPECT_EQ(ctl.AddressCounter(), 0);
    EXPECT_EQ(panel.RowText(0), "AB" + Spaces(14));

    Hd44780Instruction(write, 0x04); // decrement
    Hd44780Instruction(write, 0x85);
    Hd44780Text(write, "xy");
    EXPECT_EQ(panel.RowText(0), "AB  yx" + Spaces(10));
    EXPECT_EQ(ctl.AddressCounter(), 3);

    Hd44780Instruction(write, 0x01); // clear: spaces, address 0, increment again
    EXPECT_EQ(panel.RowText(0), Spaces(16));
    EXPECT_EQ(ctl.AddressCounter(), 0);
    EXPECT_TRUE(ctl.Increment());

    Hd44780Instruction(write, 0x0F);
    EXPECT_TRUE(ctl.DisplayOn() && ctl.CursorOn() && ctl.BlinkOn());
    Hd44780Instruction(write, 0x08);
    EXPECT_FALSE(ctl.DisplayOn() || ctl.CursorOn() || ctl.BlinkOn());

    Hd44780Instruction(write, 0x14); // cursor right, left, left again wraps to line 2's end
    EXPECT_EQ(ctl.AddressCounter(), 1);
    Hd44780Instruction(write, 0x10);
    Hd44780Instruction(write, 0x10);
    EXPECT_EQ(ctl.AddressCounter(), 0x67);

    Hd44780Instruction(write, 0x18); // display left: position 0 shows 0x01
    EXPECT_EQ(panel.AddressOf(0, 0), 0x01);
    Hd44780Instruction(write, 0x1C);
    Hd44780Instruction(write, 0x1C); // display right: position 0 shows 0x27 / 0x67
    EXPECT_EQ(panel.AddressOf(0, 0), 0x27);
    EXPECT_EQ(panel.AddressOf(1, 0), 0x67);
    Hd44780Instruction(write, 0x02);
    EXPECT_EQ(ctl.DisplayShift(), 0);

    Hd44780Instruction(write, 0x07); // increment with display shift on every write
    Hd44780Text(write, "abc");
    EXPECT_EQ(ctl.DisplayShift(), 3);
    EXPECT_EQ(panel.RowText(0).substr(0, 1), " ");
    EXPECT_EQ(panel.AddressOf(0, 0), 0x03);

    // 4-bit interface: every byte as two transfers on DB7..DB4, high nibble first.
    Hd44780Instruction(write, 0x01);
    Hd44780Instruction(write, 0x28);
    EXPECT_FALSE(ctl.EightBit());
    Hd44780Instruction(write, 0x80);
    Hd44780Instruction(write, 0x50); // set DDRAM address 0x05
    Hd44780Data(write, 0x50);
    Hd44780Data(write, 0xA0); // 'Z'
    EXPECT_EQ(ctl.Ddram(0x05), 'Z');
}

TEST(Hd44780Panel, MapsRowsToTheRealAddresses) {
    THd44780Panel twoRows(2, 16);
    Hd44780Init(WriterOf(twoRows));
    Hd44780Instruction(WriterOf(twoRows), 0xC3);
    Hd44780Text(WriterOf(twoRows), "row2");
    EXPECT_EQ(twoRows.RowText(1), "   row2" + Spaces(9));

    THd44780Panel p20(4, 20);
    const auto w20 = WriterOf(p20);
    Hd44780Init(w20);
    Hd44780Instruction(w20, 0x94);
    Hd44780Text(w20, "three");
    Hd44780Instruction(w20, 0xD4);
    Hd44780Text(w20, "four");
    Hd44780Instruction(w20, 0x80);
    Hd44780Text(w20, std::string(20, '1') + "spill"); // row 1 runs on into row 3
    EXPECT_EQ(p20.RowText(2), "spill" + Spaces(15));
    EXPECT_EQ(p20.RowText(3), "four" + Spaces(16));

    THd44780Panel p16(4, 16);
    const auto w16 = WriterOf(p16);
    Hd44780Init(w16);
    Hd44780Instruction(w16, 0x90);
    Hd44780Text(w16, "r3");
    Hd44780Instruction(w16, 0xD0);
    Hd44780Text(w16, "r4");
    Hd44780Instruction(w16, 0x94); // the 4 x 20 address lands four columns into row 3
    Hd44780Text(w16, "x");
    EXPECT_EQ(p16.AddressOf(2, 0), 0x10);
    EXPECT_EQ(p16.AddressOf(3, 0), 0x50);
    EXPECT_EQ(p16.RowText(2), "r3  x" + Spaces(11));
    EXPECT_EQ(p16.RowText(3), "r4" + Spaces(14));

    THd44780Panel p40(4, 40);
    const auto w40 = WriterOf(p40);
    ASSERT_EQ(p40.ControllerCount(), 2);
    Hd44780Init(w40, 0x01);
    Hd44780Init(w40, 0x08);
    Hd44780Instruction(w40, 0x80, 0x08);
    Hd44780Text(w40, "third", 0x08);
    Hd44780Instruction(w40, 0xC0, 0x08);
    Hd44780Text(w40, "fourth", 0x08);
    Hd44780Instruction(w40, 0x80, 0x01);
    Hd44780Text(w40, "first", 0x01);
    EXPECT_EQ(p40.RowText(0), "first" + Spaces(35));
    EXPECT_EQ(p40.RowText(1), Spaces(40));
    EXPECT_EQ(p40.RowText(2), "third" + Spaces(35));
    EXPECT_EQ(p40.RowText(3), "fourth" + Spaces(34));
    EXPECT_EQ(p40.ControllerOfRow(3), 1);
    EXPECT_TRUE(p40.DisplayOn());

    THd44780Panel wide(2, 40);
    Hd44780Init(WriterOf(wide));
    Hd44780Text(WriterOf(wide), std::string(40, '-') + "!"); // the 41st lands on row 2
    EXPECT_EQ(wide.RowText(1), "!" + Spaces(39));

    THd44780Panel single(1, 16);
    Hd44780Init(WriterOf(single));
    Hd44780Text(WriterOf(single), "0123456789abcdefg");
    EXPECT_EQ(single.RowText(0), "0123456789abcdef");

    EXPECT_FALSE(THd44780Panel::ValidSize(3, 16));
    EXPECT_FALSE(THd44780Panel::ValidSize(4, 24));
    EXPECT_FALSE(THd44780Panel::ValidSize(2, 7));
    EXPECT_THROW(THd44780Panel(4, 32), std::invalid_argument);
}

TEST(Hd44780Panel, LatchesOnlyOnTheFallingEdgeOfEnable) {
    THd44780Panel panel(2, 16);
    const auto write = WriterOf(panel);
    Hd44780Init(write);
    const uint64_t revision = panel.Revision();

    write(kControlRegister, 0x05);
    write(kDataRegister, 'Q'); // data alone latches nothing
    write(kControlRegister, 0x05);
    write(kControlRegister, 0x04); // enable rising: nothing either
    EXPECT_EQ(panel.Revision(), revision);
    EXPECT_EQ(panel.RowText(0), Spaces(16));

    write(kControlRegister, 0x05); // falling edge with RS high: a data write
    EXPECT_EQ(panel.RowText(0), "Q" + Spaces(15));

    write(kControlRegister, 0x00);
    write(kDataRegister, 0x01);
    write(kControlRegister, 0x08); // the second enable line is not wired on this panel
    EXPECT_EQ(panel.RowText(0), "Q" + Spaces(15));

    // On a 40 x 4 panel each enable line reaches its own controller only.
    THd44780Panel p40(4, 40);
    const auto w40 = WriterOf(p40);
    Hd44780Init(w40, 0x01);
    EXPECT_TRUE(p40.Controller(0).DisplayOn());
    EXPECT_FALSE(p40.Controller(1).DisplayOn());
    EXPECT_FALSE(p40.DisplayOn());
    Hd44780Data(w40, 'k', 0x08);
    EXPECT_EQ(p40.Controller(1).Ddram(0), 'k');
    EXPECT_EQ(p40.Controller(0).Ddram(0), ' ');
}

TEST(Hd44780Panel, StoresCustomCharactersInCgram) {
    THd44780Panel panel(2, 16);
    const auto write = WriterOf(panel);
    Hd44780Init(write);
    const std::array<uint8_t, 8> pattern{0x00, 0x0A, 0x1F, 0x1F, 0x0E, 0x04, 0x00, 0xE0};
    const uint64_t before = panel.Revision();
    Hd44780Instruction(write, 0x40 + 8 * 1);
    for (uint8_t row : pattern) Hd44780Data(write, row);
    Hd44780Data(write, 0x11); // still CGRAM: row 0 of character 2
    EXPECT_GT(panel.Revision(), before);
    EXPECT_EQ(panel.Controller(0).CustomChar(1), pattern);
    EXPECT_EQ(panel.Controller(0).Cgram(16), 0x11);
    EXPECT_EQ(panel.RowText(0), Spaces(16)); // DDRAM untouched

    Hd44780Instruction(write, 0x80);
    Hd44780Text(write, std::string{char(Hd44780CodeOf(0x02)), char(0x09), char(0x00)});
    EXPECT_EQ(panel.RowText(0), "②②①" + Spaces(13));
    EXPECT_NE(panel.StateText().find("cgram 1: 00 0A 1F 1F 0E 04 00 E0\n"), std::string::npos);

    Hd44780Instruction(write, 0x7F); // the CGRAM counter wraps from 0x3F to 0
    Hd44780Data(write, 0x1F);
    Hd44780Data(write, 0x15);
    EXPECT_EQ(panel.Controller(0).Cgram(0x3F), 0x1F);
    EXPECT_EQ(panel.Controller(0).Cgram(0x00), 0x15);
}

TEST(Hd44780Panel, ShowsCodesAsRomLettersOrEscapes) {
    EXPECT_EQ(Hd44780CellText('A'), "A");
    EXPECT_EQ(Hd44780CellText('|'), "|");
    EXPECT_EQ(Hd44780CellText('\\'), "\\x5C");
    EXPECT_EQ(Hd44780CellText(0x00), "①");
    EXPECT_EQ(Hd44780CellText(0x0F), "⑧");
    EXPECT_EQ(Hd44780CellText(0x10), "\\x10");
    EXPECT_EQ(Hd44780CellText(0x7F), "\\x7F");
    EXPECT_EQ(Hd44780CellText(0xA0), "Б");
    EXPECT_EQ(Hd44780CellText(0xC4), "ь");
    EXPECT_EQ(Hd44780CellText(0xC7), "я");
    EXPECT_EQ(Hd44780CellText(0xC8), "\\xC8");
    EXPECT_EQ(Hd44780CellText(0xE6), "щ");
    EXPECT_EQ(Hd44780CellText(0xFF), "\\xFF");

    // Letters sent as Latin look-alikes read back as those.
    EXPECT_EQ(Hd44780ShownText("Привет, мир!"_cp1251), "Пpивeт, миp!");
    EXPECT_EQ(Hd44780ShownText("ЁЖЗ ёжз ЪЫЬ"_cp1251), "ЁЖЗ ёжз ЪЫь");

    THd44780Panel panel(2, 16);
    Hd44780Init(WriterOf(panel));
    const std::string greeting = "Привет, мир!"_cp1251;
    for (char c : greeting) Hd44780Data(WriterOf(panel), Hd44780CodeOf(static_cast<uint8_t>(c)));
    EXPECT_EQ(panel.RowText(0), "Пpивeт, миp!    ");
}

TEST(Hd44780Charset, TranslatesTextBytesToPanelCodes) {
    EXPECT_EQ(Hd44780CodeOf(0x00), 0xFF);
    EXPECT_EQ(Hd44780CodeOf(0x01), 0x00);
    EXPECT_EQ(Hd44780CodeOf(0x05), 0x04);
    EXPECT_EQ(Hd44780CodeOf(0x1F), 0x1E);
    for (int b = 0x20; b <= 0xBF; ++b)
        if (b != 0xA8 && b != 0xB8) {
            EXPECT_EQ(Hd44780CodeOf(b), b) << b;
        }
    EXPECT_EQ(Hd44780CodeOf(0xC0), 0x41); // А
    EXPECT_EQ(Hd44780CodeOf(0xA8), 0xA2); // Ё
    EXPECT_EQ(Hd44780CodeOf(0xB8), 0xB5); // ё
    EXPECT_EQ(Hd44780CodeOf(0xDC), 0xC4); // Ь
    EXPECT_EQ(Hd44780CodeOf(0xFC), 0xC4); // ь
    EXPECT_EQ(Hd44780CodeOf(0xDA), 0xAD); // Ъ
    EXPECT_EQ(Hd44780CodeOf(0xDB), 0xAE); // Ы
    EXPECT_EQ(Hd44780CodeOf(0xFF), 0xC7); // я

    // Every letter comes back as itself from the ROM or is sent as its Latin look-alike.
    const std::u16string letters = hd44780::kCyrillicLetters;
    const std::string lookAlikes = "AaBEeKMHOoPpCcTyXx";
    for (char16_t letter : letters) {
        const uint8_t code = Hd44780CodeOf(static_cast<uint8_t>(UnicodeToCp1251(letter)));
        if (code < 0x80)
            EXPECT_NE(lookAlikes.find(char(code)), std::string::npos) << int(letter);
        else
            EXPECT_EQ(Hd44780RomLetter(code), letter == u'Ь' ? u'ь' : letter) << int(letter);
    }
    EXPECT_EQ(Hd44780RomLetter(0x41), 0);
    EXPECT_EQ(Hd44780RomLetter(0xD0), 0);
}

TEST(Hd44780Panel, StateTextHasHeaderRowsAndCgram) {
    THd44780Panel panel(2, 16);
    std::string expected = "hd44780 2x16 off\n|" + Spaces(16) + "|\n|" + Spaces(16) + "|\n";
    for (int k = 0; k < 8; ++k)
        expected += "cgram " + std::to_string(k) + ": 00 00 00 00 00 00 00 00\n";
    EXPECT_EQ(panel.StateText(), expected);

    Hd44780Init(WriterOf(panel));
    Hd44780Text(WriterOf(panel), std::string("\\|") + char(0xB0));
    const std::string shown = panel.StateText();
    EXPECT_EQ(shown.substr(0, shown.find('\n', 16) + 1),
              "hd44780 2x16 on\n|\\x5C|Ю" + Spaces(13) + "|\n");

    THd44780Panel p40(4, 40);
    Hd44780Init(WriterOf(p40), 0x01);
    Hd44780Init(WriterOf(p40), 0x08);
    const std::string text = p40.StateText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "hd44780 4x40 on");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 4 + 16);
    EXPECT_NE(text.find("\ncgram2 7: 00 00 00 00 00 00 00 00\n"), std::string::npos);
}

TEST(Hd44780Panel, RevisionChangesOnlyWithWhatIsShown) {
    THd44780Panel panel(2, 16);
    const auto write = WriterOf(panel);
    Hd44780Init(write);
    Hd44780Text(write, "same");
    const uint64_t revision = panel.Revision();
    Hd44780Instruction(write, 0x80);
    Hd44780Text(write, "same");      // identical bytes
    Hd44780Instruction(write, 0x14); // cursor moves
    Hd44780Instruction(write, 0x0E); // cursor shown, display stays on
    EXPECT_EQ(panel.Revision(), revision);
    Hd44780Instruction(write, 0x08);
    EXPECT_GT(panel.Revision(), revision);
}

} // namespace
} // namespace orv
