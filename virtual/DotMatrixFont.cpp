#include "virtual/DotMatrixFont.h"

#include <fstream>
#include <iterator>

namespace orv {

TMatrixGeometry MatrixGeometry(TDotMatrix matrix) {
    switch (matrix) {
    case TDotMatrix::mat5x7:
    case TDotMatrix::Hitachi: return {5, 7, 32, 223};
    case TDotMatrix::mat5x8: return {5, 8, 0, 255};
    case TDotMatrix::mat7x9: return {7, 9, 32, 126};
    case TDotMatrix::mat9x12: return {9, 12, 32, 126};
    case TDotMatrix::Hitachi2: return {5, 10, 32, 223};
    case TDotMatrix::dos5x7: return {5, 7, 0, 255};
    case TDotMatrix::CustomFont: break;
    }
    return {5, 8, 0, 255};
}

std::optional<TCustomFont> LoadCustomFont(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto header = [&bytes](size_t i) {
        uint32_t v = 0;
        for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        return static_cast<int32_t>(v);
    };
    if (bytes.size() < 16) return std::nullopt;
    TCustomFont font;
    font.Geometry = {header(0), header(1), header(2), header(3)};
    const TMatrixGeometry& g = font.Geometry;
    if (g.Cols < 1 || g.Cols > 64 || g.Rows < 1 || g.Rows > 64 || g.FirstCode < 0 ||
        g.LastCode > 255 || g.FirstCode > g.LastCode)
        return std::nullopt;
    const size_t glyphSize = static_cast<size_t>(g.Cols) * g.Rows;
    if (bytes.size() < 16 + glyphSize * (g.LastCode - g.FirstCode + 1)) return std::nullopt;
    font.Pixels.assign(256 * glyphSize, 0);
    for (int code = g.FirstCode; code <= g.LastCode; ++code)
        for (size_t i = 0; i < glyphSize; ++i)
            font.Pixels[code * glyphSize + i] =
                bytes[16 + (code - g.FirstCode) * glyphSize + i] == 0 ? 1 : 0;
    return font;
}

bool MatrixDotOn(const std::array<TGlyph5x8, 256>& font, TDotMatrix matrix, uint8_t code, int row,
                 int col) {
    // The larger matrices draw the glyph one dot in from the top left corner.
    const int inset = matrix == TDotMatrix::mat7x9 || matrix == TDotMatrix::mat9x12 ? 1 : 0;
    row -= inset;
    col -= inset;
    const int rows = MatrixGeometry(matrix).Rows < 8 ? MatrixGeometry(matrix).Rows : 8;
    if (row < 0 || row >= rows || col < 0 || col >= 5) return false;
    return (font[code][row] >> (4 - col)) & 1;
}

} // namespace orv
