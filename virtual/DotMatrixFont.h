// The character matrices the LCD control can draw and the font it draws them from. The system
// uses mat5x8 with the project's 5 x 8 font (font/Font5x8.h), whose glyphs 1..8 follow the
// panel's user-defined characters. The other matrices draw the same glyphs in their own cell
// (5 x 7 cuts off the descender row); a custom font comes from a font file.
#pragma once

#include "font/Font5x8.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

enum class TDotMatrix { mat5x7, mat5x8, mat7x9, mat9x12, Hitachi, Hitachi2, dos5x7, CustomFont };

// Columns and rows of a cell, and the codes drawn (others are drawn as the nearer end).
struct TMatrixGeometry {
    int Cols = 5;
    int Rows = 8;
    int FirstCode = 0;
    int LastCode = 255;
};

// The built-in matrices; CustomFont has no geometry of its own (TCustomFont has it).
TMatrixGeometry MatrixGeometry(TDotMatrix matrix);

// A font file: four little-endian 32-bit integers (matrix width, matrix height, first code,
// last code), then width * height bytes per code, row by row, 0 = pixel on, 1 = off.
struct TCustomFont {
    TMatrixGeometry Geometry;
    std::vector<uint8_t> Pixels; // 256 glyphs of Cols * Rows, 1 = on; codes outside are off

    bool On(uint8_t code, int row, int col) const {
        return Pixels[(static_cast<size_t>(code) * Geometry.Rows + row) * Geometry.Cols + col] != 0;
    }
};

// nullopt when the file cannot be read, is too short, or its header makes no sense.
std::optional<TCustomFont> LoadCustomFont(const std::string& path);

// Whether the dot (row, col) of code is on in the 5 x 8 font drawn in matrix.
bool MatrixDotOn(const std::array<TGlyph5x8, 256>& font, TDotMatrix matrix, uint8_t code, int row,
                 int col);

} // namespace orv
