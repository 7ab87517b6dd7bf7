// Mirrors the display rows in a terminal: as text, or as the panel's 5 x 8 dot matrix drawn
// with block characters. On a terminal the rows are redrawn in place; otherwise each frame that
// differs from the previous one is printed as its rows between '|' marks and an empty line.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace orv {

enum class TTtyMode { Off, Text, Dots };

using TGlyph = std::array<uint8_t, 8>;
// The dot rows of a display code (bits 4..0, left to right), custom characters included.
using TGlyphSource = std::function<TGlyph(uint8_t code)>;

class TTerminalMirror {
public:
    TTerminalMirror(std::FILE* out, TTtyMode mode, bool inPlace, TGlyphSource glyphs);

    // rows: Windows-1251 display text, bytes 0x01..0x08 for the custom characters, byte 0 the
    // full block the HD44780 shows for it. Once a
    // frame cannot be written (the reader of a pipe has gone), the mirror ends for good.
    void ShowFrame(const std::vector<std::string>& rows);
    bool Ended() const { return ended_; }

    // The text lines one frame is drawn as (without the in-place handling).
    std::vector<std::string> Render(const std::vector<std::string>& rows) const;

private:
    std::vector<std::string> RenderText(const std::vector<std::string>& rows) const;
    std::vector<std::string> RenderDots(const std::vector<std::string>& rows) const;

    std::FILE* out_;
    TTtyMode mode_;
    bool inPlace_;
    TGlyphSource glyphs_;
    std::vector<std::string> lastFrame_;
    size_t linesDrawn_ = 0;
    bool ended_ = false;
};

} // namespace orv
