// Port-write sequences exactly as the panel drivers produce them, for feeding emulators.
#pragma once

#include "drivers/portio/EmulatedPanel.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace orv::test {

using TPortWrite = std::function<void(unsigned reg, uint8_t value)>;

inline TPortWrite WriterOf(TEmulatedPanel& panel) {
    return [&panel](unsigned reg, uint8_t value) { panel.Write(reg, value); };
}

// HD44780: e = 0x01 for controller 1, 0x08 for controller 2.
inline void Hd44780Instruction(const TPortWrite& write, uint8_t c, uint8_t e = 0x01) {
    write(kControlRegister, 0x00);
    write(kDataRegister, c);
    write(kControlRegister, e);
}

inline void Hd44780Data(const TPortWrite& write, uint8_t d, uint8_t e = 0x01) {
    write(kControlRegister, 0x04);
    write(kDataRegister, d);
    write(kControlRegister, e | 0x04);
}

inline void Hd44780Text(const TPortWrite& write, std::string_view codes, uint8_t e = 0x01) {
    for (char c : codes) Hd44780Data(write, static_cast<uint8_t>(c), e);
}

inline void Hd44780Init(const TPortWrite& write, uint8_t e = 0x01) {
    for (uint8_t c : {0x38, 0x38, 0x38, 0x06, 0x08, 0x01, 0x0C, 0x02})
        Hd44780Instruction(write, c, e);
}

// KS0108: h = 0x00 for the left half, 0x06 for the right half.
inline void Ks0108Instruction(const TPortWrite& write, uint8_t c, uint8_t h) {
    write(kControlRegister, h | 0x09);
    write(kDataRegister, c);
    write(kControlRegister, h | 0x08);
    write(kControlRegister, h | 0x09);
    write(kDataRegister, 0x00);
}

inline void Ks0108Data(const TPortWrite& write, uint8_t d, uint8_t h) {
    write(kControlRegister, h | 0x01);
    write(kDataRegister, d);
    write(kControlRegister, h);
    write(kControlRegister, h | 0x01);
}

} // namespace orv::test
