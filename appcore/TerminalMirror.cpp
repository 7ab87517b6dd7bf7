#include "appcore/TerminalMirror.h"

#include "base/Cp1251.h"

namespace orv {

namespace {

// Quadrant blocks indexed by the pixels upper-left 1, upper-right 2, lower-left 4, lower-right 8.
constexpr const char* kQuadrants[16] = {" ", "▘", "▝", "▀", "▖", "▌", "▞", "▛",
                                        "▗", "▚", "▐", "▜", "▄", "▙", "▟", "█"};

constexpr int kCellDots = 6; // five glyph columns and one blank column

// The HD44780 is sent code 0 as 0xFF, its full block.
constexpr uint8_t kFullBlockCode = 0;
constexpr TGlyph kFullBlock = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};

} // namespace

TTerminalMirror::TTerminalMirror(std::FILE* out, TTtyMode mode, bool inPlace, TGlyphSource glyphs)
    : out_(out), mode_(mode), inPlace_(inPlace), glyphs_(std::move(glyphs)) {}

std::vector<std::string> TTerminalMirror::Render(const std::vector<std::string>& rows) const {
    return mode_ == TTtyMode::Dots ? RenderDots(rows) : RenderText(rows);
}

std::vector<std::string> TTerminalMirror::RenderText(const std::vector<std::string>& rows) const {
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        std::string line = "|";
        for (char c : row) {
            const auto code = static_cast<uint8_t>(c);
            if (code == kFullBlockCode)
                line += kQuadrants[15];
            else if (code >= 1 && code <= 8)
                AppendUtf8(line, 0x2460 + code - 1); // ① .. ⑧
            else if (code < 0x20)
                line += ' ';
            else
                line += Cp1251ToUtf8(std::string_view(&c, 1));
        }
        lines.push_back(line + "|");
    }
    return lines;
}

std::vector<std::string> TTerminalMirror::RenderDots(const std::vector<std::string>& rows) const {
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        // A blank line between rows, like the gap between the rows of a panel.
        if (!lines.empty())
            lines.push_back("|" + std::string(row.size() * kCellDots / 2, ' ') + "|");
        std::vector<TGlyph> cells;
        for (char c : row) {
            const auto code = static_cast<uint8_t>(c);
            cells.push_back(code == kFullBlockCode ? kFullBlock : glyphs_(code));
        }
        const int width = static_cast<int>(cells.size()) * kCellDots;
        auto lit = [&](int x, int y) {
            if (x >= width) return false;
            const int column = x % kCellDots;
            if (column >= 5) return false;
            return (cells[x / kCellDots][y] >> (4 - column) & 1) != 0;
        };
        for (int y = 0; y < 8; y += 2) {
            std::string line = "|";
            for (int x = 0; x < width; x += 2) {
                const int index = (lit(x, y) ? 1 : 0) | (lit(x + 1, y) ? 2 : 0) |
                                  (lit(x, y + 1) ? 4 : 0) | (lit(x + 1, y + 1) ? 8 : 0);
                line += kQuadrants[index];
            }
            lines.push_back(line + "|");
        }
    }
    return lines;
}

void TTerminalMirror::ShowFrame(const std::vector<std::string>& rows) {
    if (ended_) return;
    std::vector<std::string> frame = Render(rows);
    if (frame == lastFrame_) return;
    if (inPlace_) {
        if (linesDrawn_ > 0) std::fprintf(out_, "\x1b[%zuA", linesDrawn_);
        for (const auto& line : frame) std::fprintf(out_, "\r\x1b[2K%s\n", line.c_str());
        linesDrawn_ = frame.size();
    } else {
        for (const auto& line : frame) std::fprintf(out_, "%s\n", line.c_str());
        std::fputc('\n', out_);
    }
    if (std::fflush(out_) != 0 || std::ferror(out_)) ended_ = true; // reader gone, disk full
    lastFrame_ = std::move(frame);
}

} // namespace orv
