// HD44780 instruction bytes: the instruction codes with their option bits, and the whole bytes
// the text-panel drivers send. The emulated controller decodes with the same names.
#pragma once

#include <cstdint>

namespace orv::hd44780 {

// An instruction is named by its highest set bit; the bits below it are its options.
inline constexpr uint8_t kClearDisplay = 0x01;
inline constexpr uint8_t kReturnHome = 0x02;
inline constexpr uint8_t kEntryModeSet = 0x04;
inline constexpr uint8_t kDisplayControl = 0x08;
inline constexpr uint8_t kCursorDisplayShift = 0x10;
inline constexpr uint8_t kFunctionSet = 0x20;
inline constexpr uint8_t kSetCgramAddress = 0x40;
inline constexpr uint8_t kSetDdramAddress = 0x80;

// Options of kEntryModeSet.
inline constexpr uint8_t kEntryIncrementBit = 0x02;
inline constexpr uint8_t kEntryShiftBit = 0x01;
// Options of kDisplayControl.
inline constexpr uint8_t kDisplayOnBit = 0x04;
inline constexpr uint8_t kCursorOnBit = 0x02;
inline constexpr uint8_t kBlinkOnBit = 0x01;
// Options of kCursorDisplayShift.
inline constexpr uint8_t kShiftDisplayBit = 0x08;
inline constexpr uint8_t kShiftRightBit = 0x04;
// Options of kFunctionSet.
inline constexpr uint8_t kEightBitBit = 0x10;
inline constexpr uint8_t kTwoLinesBit = 0x08;
inline constexpr uint8_t kLargeFontBit = 0x04;

// The address bits of the two address instructions.
inline constexpr uint8_t kCgramAddressMask = 0x3F;
inline constexpr uint8_t kDdramAddressMask = 0x7F;

inline constexpr uint8_t kFunctionSet8Bit2Lines = kFunctionSet | kEightBitBit | kTwoLinesBit;
inline constexpr uint8_t kFunctionSet4Bit1Line = kFunctionSet;
inline constexpr uint8_t kFunctionSet4Bit2Lines = kFunctionSet | kTwoLinesBit;
inline constexpr uint8_t kEntryIncrement = kEntryModeSet | kEntryIncrementBit;
inline constexpr uint8_t kDisplayOff = kDisplayControl;
inline constexpr uint8_t kDisplayOn = kDisplayControl | kDisplayOnBit;

// The high nibble of the 8-bit function set, sent three times to synchronise, and of the 4-bit
// one that follows.
inline constexpr uint8_t kSyncNibble = (kFunctionSet | kEightBitBit) >> 4;
inline constexpr uint8_t kFourBitNibble = kFunctionSet >> 4;

} // namespace orv::hd44780
