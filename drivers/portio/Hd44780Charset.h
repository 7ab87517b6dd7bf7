// The character table of HD44780 panels with the Cyrillic character-generator ROM: the one place
// that turns Windows-1251 text bytes into panel codes (used by the text-panel driver) and panel
// codes back into the letters the ROM shows (used by the panel emulator).
#pragma once

#include "base/Cp1251.h"

#include <array>
#include <cstdint>

namespace orv {

namespace hd44780 {

// The Cyrillic letters in table order (note Ь, Ъ, Ы) and the panel code each one is sent as.
inline constexpr char16_t kCyrillicLetters[] =
    u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЬЪЫЭЮЯабвгдеёжзийклмнопрстуфхцчшщьъыэюя";
inline constexpr uint8_t kCyrillicCodes[66] = {
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x4B, 0xA7, 0x4D,
    0x48, 0x4F, 0xA8, 0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xE1, 0xAB, 0xAC, 0xE2, 0xC4,
    0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB5, 0xB6, 0xB7,
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE, 0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78,
    0xE5, 0xC0, 0xC1, 0xE6, 0xC4, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7};
static_assert(sizeof(kCyrillicLetters) / sizeof(char16_t) == 66 + 1);

constexpr std::array<uint8_t, 256> BuildCodeTable() {
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<uint8_t>(b < 0x20 ? (b + 255) % 256 : b);
    for (int i = 0; i < 66; ++i)
        table[static_cast<uint8_t>(UnicodeToCp1251(kCyrillicLetters[i]))] = kCyrillicCodes[i];
    return table;
}

// ROM letters of codes 0x80..0xFF; later table entries win, so the shared code 0xC4 reads as
// the small letter ь, the shape the ROM really has.
constexpr std::array<char16_t, 128> BuildRomLetters() {
    std::array<char16_t, 128> letters{};
    for (int i = 0; i < 66; ++i)
        if (kCyrillicCodes[i] >= 0x80) letters[kCyrillicCodes[i] - 0x80] = kCyrillicLetters[i];
    return letters;
}

inline constexpr std::array<uint8_t, 256> kCodeOfTextByte = BuildCodeTable();
inline constexpr std::array<char16_t, 128> kRomLetters = BuildRomLetters();

} // namespace hd44780

// Panel code sent for one Windows-1251 text byte: 0x00..0x1F become b - 1 (mod 256), so text
// bytes 0x01..0x08 address the custom characters 0..7; Cyrillic letters (0xC0..0xFF, Ё, ё) go
// through the letter table; every other byte is sent unchanged.
constexpr uint8_t Hd44780CodeOf(uint8_t textByte) { return hd44780::kCodeOfTextByte[textByte]; }

// The Cyrillic letter (Unicode) the ROM shows for a panel code of 0x80..0xFF, or 0 when the code
// shows none of the table's letters. Codes below 0x80 are ASCII (the Latin look-alikes of А, В,
// Е... among them).
constexpr char16_t Hd44780RomLetter(uint8_t code) {
    return code < 0x80 ? u'\0' : hd44780::kRomLetters[code - 0x80];
}

} // namespace orv
