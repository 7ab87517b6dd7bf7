// The 8 x 5 toggle buttons with which a user-defined character is drawn, laid into a grid of
// the window that owns them (no widget of its own, so the window's controls keep their order).
#pragma once

#include "engine/CustomGlyph.h"

#include <QString>

#include <array>
#include <functional>

class QGridLayout;
class QToolButton;
class QWidget;

namespace orv {

class TDotMatrix {
public:
    static constexpr int kRows = 8;
    static constexpr int kCols = 5;

    // nameOf(row, column) names each dot (row 0 at the top, column 0 at the left); clicked runs
    // after the user toggled one.
    TDotMatrix(QWidget& owner, QGridLayout& grid, int dotSize,
               const std::function<QString(int, int)>& nameOf, const char* hint,
               const std::function<void()>& clicked);

    TGlyphRows Rows() const;
    void SetRows(const TGlyphRows& rows);
    void Invert();

private:
    std::array<std::array<QToolButton*, kCols>, kRows> dots_{};
};

} // namespace orv
