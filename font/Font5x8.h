// The system's 5 x 8 font: 256 glyphs indexed by Windows-1251 code, 8 rows from top to bottom,
// bits 4..0 of a row are the pixels from left to right. Qt-free; the graphic panel driver, the
// KS0108 emulator and the virtual display all draw from it.
#pragma once

#include <array>
#include <cstdint>

namespace orv {

using TGlyph5x8 = std::array<uint8_t, 8>;

// The glyph of a Windows-1251 code.
const TGlyph5x8& Font5x8Glyph(uint8_t code);

// The whole font, for copies that are changed at run time (custom characters).
const std::array<TGlyph5x8, 256>& Font5x8();

// The code whose glyph is exactly this pattern, or -1. Several codes share some shapes (blank,
// all on, Cyrillic letters that look like Latin ones); then the answer is the first such code
// in the order 0x20..0xFF, 0x00..0x1F, i.e. space, 0x7F and the Latin letter.
int Font5x8CodeOf(const TGlyph5x8& glyph);

} // namespace orv
