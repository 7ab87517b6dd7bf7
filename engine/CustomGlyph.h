// 5 x 8 glyphs for the panel's eight user-defined characters: rows, names, the built-in sets
// and the text forms in which they are stored and requested.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Eight rows, row 0 at the top; bits 4..0 are the pixel columns from left to right.
using TGlyphRows = std::array<uint8_t, 8>;

struct TCustomGlyph {
    std::string Name;
    TGlyphRows Rows{};
};

constexpr int kCustomSlotCount = 8;    // hardware slots 0..7, display codes 1..8
constexpr int kBuiltInGlyphCount = 24; // entries 1..24: hb_0..hb_7, vb_0..vb_7, cust_1..cust_8
constexpr int kMaxGlyphCount = 255;    // entries 1..255
constexpr int kUserSetFirstEntry = 17; // cust_1..cust_8 always keep their built-in rows

// Name and default rows of built-in entry 1..24 (index 0 is entry 1).
struct TBuiltInGlyph {
    const char* Name;
    const char* Rows; // stored form
};
extern const std::array<TBuiltInGlyph, kBuiltInGlyphCount> kBuiltInGlyphs;

// The six glyphs of the three-row clock, for slots 0..5.
extern const std::array<TGlyphRows, 6> kBigClockGlyphs;

// One integer as the settings write it: "$" and hexadecimal digits, or decimal; blanks around
// it allowed. The low 8 bits are kept.
std::optional<uint8_t> ParseGlyphByte(std::string_view text);

// "$0C,$08,..." -> rows; nullopt unless the text has at least eight items and the first eight
// are numbers.
std::optional<TGlyphRows> ParseGlyphRows(std::string_view text);

// Rows in the stored form: "$" + two upper-case hexadecimal digits each, joined by commas.
std::string FormatGlyphRows(const TGlyphRows& rows);

// The rows of a slot request, "x1F;x11;..." separated by ';' ("x" or "$" before hexadecimal
// rows, decimal otherwise). Missing rows and rows that are not numbers read as 0; only the low
// five bits of each row are kept.
TGlyphRows ParseMaskRows(std::string_view text);

// A character drawn by its rows, in the quoted form a job line passes to the slot-definition
// command: "'1;x00;x0E;x11;x11;x1F;x11;x11;x00'" (character number 1..8, then the rows from the
// top as "x" and two upper-case hexadecimal digits).
struct TGlyphMask {
    int Number = 1;
    TGlyphRows Rows{};
};

// The mask of a text in that form, read leniently: blanks anywhere are ignored, a number that
// is not a digit reads as 1 (digits outside 1..8 are kept for the caller to judge), rows are
// read as ParseMaskRows reads them after the number.
TGlyphMask ParseGlyphMask(std::string_view text);

// "'N;xRR;...;xRR'"; only the low five bits of each row are written.
std::string FormatGlyphMask(const TGlyphMask& mask);
// The rows alone: "xRR;...;xRR".
std::string FormatMaskRows(const TGlyphRows& rows);

// Digit '1'..'8' -> display code 1..8; nullopt for anything else.
std::optional<uint8_t> SlotCodeOfDigit(char c);

} // namespace orv
