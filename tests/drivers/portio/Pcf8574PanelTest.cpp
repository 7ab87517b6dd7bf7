// The backpack emulator decodes expander bytes into 4-bit transfers and refuses what a real
// controller would get wrong.
#include "drivers/portio/Pcf8574Panel.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace orv {
namespace {

// Feeds one panel with the stream a careful driver sends on a wiring.
class TBackpack {
public:
    explicit TBackpack(TPcf8574Panel& panel, const TPcf8574Wiring& wiring = kPcf8574Common)
        : panel_(panel), wiring_(wiring) {
        panel_.WriteExpander(wiring_.backLight); // the lines settle, E low
    }
    void Nibble(bool data, uint8_t nibble) {
        const auto lines = static_cast<uint8_t>(wiring_.DataBits(nibble) | (data ? wiring_.rs : 0) |
                                                wiring_.backLight);
        panel_.WriteExpander(lines | wiring_.e);
        panel_.WriteExpander(lines);
    }
    void Byte(bool data, uint8_t value) {
        Nibble(data, value >> 4);
        Nibble(data, value & 0x0F);
    }
    void Instructions(std::initializer_list<uint8_t> codes) {
        for (uint8_t c : codes) Byte(false, c);
    }
    void Text(const std::string& codes) {
        for (char c : codes) Byte(true, static_cast<uint8_t>(c));
    }
    void Init() {
        for (uint8_t n : {0x3, 0x3, 0x3, 0x2}) Nibble(false, n);
        Instructions({0x28, 0x08, 0x01, 0x06, 0x0C});
    }

private:
    TPcf8574Panel& panel_;
    TPcf8574Wiring wiring_;
};

bool Faulted(const TPcf8574Panel& panel, const std::string& reason) {
    return panel.StateText().find(reason) != std::string::npos;
}

TEST(Pcf8574Panel, ShowsWhatACarefulDriverSendsAndRefusesWhatARealPanelGetsWrong) {
    {
        // The datasheet's initialisation, text on both rows, a custom character, the
        // backlight; then the initialisation again from 4-bit mode resynchronises.
        TPcf8574Panel panel(2, 16);
        TBackpack backpack(panel);
        backpack.Init();
        backpack.Text("Hello");
        backpack.Instructions({0xC0 + 2});
        backpack.Text(std::string("\x00\xA0!", 3));
        backpack.Instructions({0x40 + 8});
        backpack.Text("\x1F\x11\x11\x11\x11\x11\x1F");
        EXPECT_EQ(panel.RowText(0), "Hello           ");
        EXPECT_EQ(panel.RowText(1), "  ①Б!           ");
        backpack.Init();
        backpack.Instructions({0x80 + 15});
        backpack.Text("x");
        EXPECT_TRUE(panel.StateText().starts_with("hd44780 2x16 on\n|               x|\n"));
        EXPECT_NE(panel.StateText().find("cgram 1: 1F 11 11 11 11 11 1F 00\n"), std::string::npos);
        EXPECT_EQ(panel.StateText().find("faults"), std::string::npos) << panel.StateText();
        EXPECT_TRUE(panel.BackLight());
        EXPECT_TRUE(panel.StateText().ends_with("backlight on\n"));
    }
    {
        // Bytes sent in two nibbles from power-on, without the three single 0x3 transfers.
        TPcf8574Panel panel(2, 16);
        TBackpack backpack(panel);
        backpack.Instructions({0x28, 0x0C});
        backpack.Text("lost");
        EXPECT_TRUE(Faulted(panel, "before the 4-bit initialisation")) << panel.StateText();
        EXPECT_EQ(panel.RowText(0), std::string(16, ' '));
    }
    {
        // Only two 0x3 transfers before 0x2.
        TPcf8574Panel panel(2, 16);
        TBackpack backpack(panel);
        for (uint8_t n : {0x3, 0x3, 0x2}) backpack.Nibble(false, n);
        EXPECT_TRUE(Faulted(panel, "faults 1: switch to 4-bit without three 0x3 transfers"))
            << panel.StateText();
    }
    {
        // RS raised while E is high, and the two nibbles of one byte with different RS.
        TPcf8574Panel panel(2, 16);
        TBackpack backpack(panel);
        backpack.Init();
        panel.WriteExpander(kPcf8574Common.e | kPcf8574Common.DataBits(0x4));
        panel.WriteExpander(kPcf8574Common.e | kPcf8574Common.DataBits(0x4) | kPcf8574Common.rs);
        EXPECT_TRUE(Faulted(panel, "RS changed while E was high")) << panel.StateText();
        panel.WriteExpander(kPcf8574Common.DataBits(0x4) | kPcf8574Common.rs);
        backpack.Nibble(false, 0x1);
        EXPECT_TRUE(Faulted(panel, "faults 2: the two nibbles of one byte came with different RS"))
            << panel.StateText();
        EXPECT_EQ(panel.RowText(0), std::string(16, ' '));
        // Data lines that change in the write letting E fall.
        panel.WriteExpander(kPcf8574Common.e | kPcf8574Common.DataBits(0x4));
        panel.WriteExpander(kPcf8574Common.DataBits(0x5));
        EXPECT_TRUE(Faulted(panel, "faults 3: RS or data lines changed")) << panel.StateText();
    }
    {
        // A driver set for the other wiring talks to a common backpack: nothing gets through.
        TPcf8574Panel panel(2, 16);
        TBackpack backpack(panel, kPcf8574Alternate);
        backpack.Init();
        backpack.Text("wrong map");
        EXPECT_NE(panel.StateText().find("faults"), std::string::npos);
        EXPECT_EQ(panel.RowText(0), std::string(16, ' '));
    }
}

} // namespace
} // namespace orv
