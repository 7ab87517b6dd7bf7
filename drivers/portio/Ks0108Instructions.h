// KS0108 instruction bytes: the instruction codes with their operand bits, as the graphic-panel
// driver sends them and the emulated controller decodes them.
#pragma once

#include <cstdint>

namespace orv::ks0108 {

// Display on/off: kDisplayOnOff, with kDisplayOnBit to switch the picture on.
inline constexpr uint8_t kDisplayOnOff = 0x3E;
inline constexpr uint8_t kDisplayOnBit = 0x01;
inline constexpr uint8_t kDisplayOff = kDisplayOnOff;
inline constexpr uint8_t kDisplayOn = kDisplayOnOff | kDisplayOnBit;

// The three address instructions, each with its operand in the bits of its mask: the column
// (Y address, 0..63), the page (X address, 0..7) and the RAM line shown at the top (0..63).
inline constexpr uint8_t kSetColumn = 0x40;
inline constexpr uint8_t kColumnMask = 0x3F;
inline constexpr uint8_t kSetPage = 0xB8;
inline constexpr uint8_t kPageMask = 0x07;
inline constexpr uint8_t kSetStartLine = 0xC0;
inline constexpr uint8_t kStartLineMask = 0x3F;

// The instruction an instruction byte holds, once its operand bits are masked off.
constexpr bool IsSetColumn(uint8_t code) { return (code & ~kColumnMask) == kSetColumn; }
constexpr bool IsSetPage(uint8_t code) { return (code & ~kPageMask) == kSetPage; }
constexpr bool IsSetStartLine(uint8_t code) { return (code & ~kStartLineMask) == kSetStartLine; }

} // namespace orv::ks0108
