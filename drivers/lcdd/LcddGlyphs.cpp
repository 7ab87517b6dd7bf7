#include "drivers/lcdd/LcddGlyphs.h"

#include "font/Font5x8.h"

#include <bit>

namespace orv {

namespace {

constexpr uint8_t kFullRow = 0x1F;
constexpr int kPatternWidth = 5;
constexpr int kPatternHeight = 8;

// pixels of 'of' scaled to 'cell', at least 1.
int32_t Scaled(int pixels, int of, int32_t cell) {
    const int32_t length = (pixels * cell + of / 2) / of;
    return length > 0 ? length : 1;
}

// Lit columns when row is a run from the left edge (0x10, 0x18, 0x1C, 0x1E, 0x1F); else 0.
int LeftRunWidth(uint8_t row) {
    for (int width = 1; width <= kPatternWidth; ++width)
        if (row == static_cast<uint8_t>(kFullRow & ~(kFullRow >> width))) return width;
    return 0;
}

char NearestCharacter(const TLcddPattern& pattern) {
    char best = '?';
    int bestDistance = kPatternWidth * kPatternHeight + 1;
    for (int code = 0x21; code <= 0x7E; ++code) {
        const TGlyph5x8& glyph = Font5x8Glyph(static_cast<uint8_t>(code));
        int distance = 0;
        for (int row = 0; row < kPatternHeight; ++row)
            distance +=
                std::popcount(static_cast<unsigned>((glyph[row] ^ pattern[row]) & kFullRow));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<char>(code);
        }
    }
    return best;
}

} // namespace

TLcddCell LcddCellOf(const TLcddPattern& raw, const TLcddDisplay& display) {
    TLcddPattern pattern;
    for (int row = 0; row < kPatternHeight; ++row) pattern[row] = raw[row] & kFullRow;

    int first = kPatternHeight, last = -1;
    for (int row = 0; row < kPatternHeight; ++row)
        if (pattern[row]) {
            if (first == kPatternHeight) first = row;
            last = row;
        }
    if (last < 0) return {};

    bool sameRows = true;
    for (int row = first; row <= last; ++row) sameRows = sameRows && pattern[row] == pattern[first];
    if (sameRows) {
        const int lit = last - first + 1;
        if (pattern[first] == kFullRow && last == kPatternHeight - 1) {
            if (lit == kPatternHeight) return {TLcddCell::TKind::Block};
            return {TLcddCell::TKind::VBar, ' ', Scaled(lit, kPatternHeight, display.cellHeight)};
        }
        if (const int width = LeftRunWidth(pattern[first])) {
            if (width == kPatternWidth) return {TLcddCell::TKind::Block};
            return {TLcddCell::TKind::HBar, ' ', Scaled(width, kPatternWidth, display.cellWidth)};
        }
    }
    return {TLcddCell::TKind::Text, NearestCharacter(pattern)};
}

} // namespace orv
