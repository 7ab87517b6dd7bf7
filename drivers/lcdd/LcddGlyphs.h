// LCDd cannot take user-defined characters from a client, so each custom character is shown as
// the nearest thing LCDd has:
// - an empty pattern: a space;
// - a solid block of bottom-aligned full rows (the vertical bar pieces): the icon BLOCK_FILLED
//   when it fills the cell, else a vbar widget of that many pixel rows;
// - identical left-aligned runs in every lit row (the horizontal bar pieces, full, two-thirds,
//   one-third): BLOCK_FILLED when all five columns are lit, else an hbar widget of that width;
// - anything else (bar end caps, logos, big-clock pieces, animations): the printable ASCII
//   character of the 5 x 8 font that differs from the pattern in the fewest pixels.
// Bar lengths are in LCDd's pixels: the pattern's columns (of 5) and rows (of 8) scaled to the
// cell size LCDd announced.
#pragma once

#include "drivers/lcdd/LcddProtocol.h"

#include <array>
#include <cstdint>

namespace orv {

using TLcddPattern = std::array<uint8_t, 8>; // rows top to bottom, bits 4..0 left to right

struct TLcddCell {
    enum class TKind : uint8_t { Text, Block, HBar, VBar };
    TKind kind = TKind::Text;
    char text = ' ';    // Text: the character shown
    int32_t length = 0; // HBar, VBar: the bar's length in pixels

    bool operator==(const TLcddCell&) const = default;
};

TLcddCell LcddCellOf(const TLcddPattern& pattern, const TLcddDisplay& display);

} // namespace orv
