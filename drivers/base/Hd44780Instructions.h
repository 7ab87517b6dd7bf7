// HD44780 instruction bytes as the text-panel drivers send them.
#pragma once

#include <cstdint>

namespace orv::hd44780 {

inline constexpr uint8_t kFunctionSet8Bit2Lines = 0x38;
inline constexpr uint8_t kFunctionSet4Bit1Line = 0x20;
inline constexpr uint8_t kFunctionSet4Bit2Lines = 0x28;
inline constexpr uint8_t kEntryIncrement = 0x06;
inline constexpr uint8_t kDisplayOff = 0x08;
inline constexpr uint8_t kDisplayOn = 0x0C;
inline constexpr uint8_t kClearDisplay = 0x01;
inline constexpr uint8_t kReturnHome = 0x02;
inline constexpr uint8_t kSetCgramAddress = 0x40;
inline constexpr uint8_t kSetDdramAddress = 0x80;

} // namespace orv::hd44780
