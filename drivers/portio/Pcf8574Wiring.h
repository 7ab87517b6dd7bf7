// How an I2C backpack wires the eight lines P0..P7 of its PCF8574 expander to an HD44780 panel
// in 4-bit mode. Shared by the I2C panel driver and the backpack emulator.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

struct TPcf8574Wiring {
    uint8_t rs, rw, e, backLight; // bit masks
    std::array<uint8_t, 4> data;  // bit masks of D4..D7

    // The expander byte that puts nibble (bits 3..0 = D7..D4) on the data lines.
    constexpr uint8_t DataBits(uint8_t nibble) const {
        uint8_t bits = 0;
        for (int i = 0; i < 4; ++i)
            if (nibble & (1u << i)) bits |= data[i];
        return bits;
    }
    // The nibble the data lines of an expander byte carry.
    constexpr uint8_t Nibble(uint8_t bits) const {
        uint8_t nibble = 0;
        for (int i = 0; i < 4; ++i)
            if (bits & data[i]) nibble |= static_cast<uint8_t>(1u << i);
        return nibble;
    }
};

// P0 RS, P1 RW, P2 E, P3 backlight, P4..P7 D4..D7: most backpacks.
inline constexpr TPcf8574Wiring kPcf8574Common{0x01, 0x02, 0x04, 0x08, {0x10, 0x20, 0x40, 0x80}};
// P0..P3 D4..D7, P4 E, P5 RW, P6 RS, P7 backlight: the other wiring sold.
inline constexpr TPcf8574Wiring kPcf8574Alternate{0x40, 0x20, 0x10, 0x80, {0x01, 0x02, 0x04, 0x08}};

// "common" or "alternate" (as the settings name them).
inline std::optional<TPcf8574Wiring> Pcf8574WiringNamed(std::string_view name) {
    if (name == "common") return kPcf8574Common;
    if (name == "alternate") return kPcf8574Alternate;
    return std::nullopt;
}

} // namespace orv
