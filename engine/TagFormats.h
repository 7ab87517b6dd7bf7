// The outputs of the value formats that draw something other than the value's own text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

class TCharsets;

// The format a tag's format word names: "flash", "bar", "simple_bar", "digit_bar", "anim",
// "anim_char"; any other word is plain text (tfText of engine/LCDTag.h).
uint8_t TagFormatOfWord(std::string_view word);

// A bar value as a whole percentage: the value read as a real number ("." or "," before the
// decimals), rounded to the nearest integer with halves going to the even neighbour; 0 when it
// is not a number. Values far outside 0..100 come back as -1 or 101.
int32_t BarPercent(std::string_view value);

// Bar drawn with the eight horizontal-bar pieces of the charset mapping; empty for a percentage
// outside 0..100.
std::string RenderBar(int32_t percent, int32_t width, const TCharsets& charsets);

// Bar of full blocks and one framed partial cell; redefines slots 1..4 itself. Empty for a
// percentage outside 0..100.
std::string RenderSimpleBar(int32_t percent, int32_t width, TCharsets& charsets);

// Code-1 cells for the filled part, "_" for the rest, the two-digit percentage in the middle.
// Empty for a percentage outside 0..100.
std::string RenderDigitBar(int32_t percent, int32_t width);

// width characters of value + " " + value from position start (1-based; below 1 counts as 1).
// Shorter when the text ends before.
std::string ScrollWindow(std::string_view value, int32_t start, int32_t width);

} // namespace orv
