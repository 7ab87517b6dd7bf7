// Emulated 128 x 64 KS0108 panel (two controllers, left and right half) wired to the parallel
// port: data register = DB0..DB7; control bit 0 = E, bit 1 = pin 14, bit 2 = pin 16, bit 3 =
// D/I. Bits 0, 1 and 3 are inverted at the connector: E falls when bit 0 goes from 0 to 1, D/I
// is high (display data) when bit 3 is 0. By default the chip selects are active high, pin 14
// selecting the left and pin 16 the right half, so bits 1 and 2 both 0 pick the left half and
// both 1 the right half; with active-low selects pin 16 selects the left and pin 14 the right.
#pragma once

#include "drivers/portio/EmulatedPanel.h"

#include <array>
#include <cstdint>
#include <string>

namespace orv {

// One controller: 8 pages x 64 columns, column counter with auto-increment, page, start line,
// display on/off; starts with everything 0 and the display off.
class TKs0108Controller {
public:
    void Latch(bool displayData, uint8_t bus);

    uint8_t Ram(int page, int column) const { return ram_[page & 7][column & 63]; }
    int Column() const { return column_; }
    int Page() const { return page_; }
    int StartLine() const { return startLine_; }
    bool DisplayOn() const { return on_; }
    uint64_t Revision() const { return revision_; }

private:
    std::array<std::array<uint8_t, 64>, 8> ram_{};
    int column_ = 0, page_ = 0, startLine_ = 0;
    bool on_ = false;
    uint64_t revision_ = 0;
};

class TKs0108Panel : public TEmulatedPanel {
public:
    static constexpr int kWidth = 128, kHeight = 64;
    static constexpr int kTextRows = 8, kTextCols = 21, kCellWidth = 6;

    explicit TKs0108Panel(bool chipSelectActiveLow = false,
                          uint8_t initialControl = kControlAfterClaim);

    // 0 = left (columns 0..63), 1 = right (64..127).
    const TKs0108Controller& Half(int index) const { return halves_[index]; }

    // Pixel (x, y) of the picture, y counted from the top after the half's start line; the
    // picture is the same whether the display is on or off.
    bool Pixel(int x, int y) const;
    // The code of the font glyph in text cell (row, cell): pixel rows 8 row .. 8 row + 7,
    // columns 6 cell .. 6 cell + 4 for the glyph and 6 cell + 5 blank; -1 when no glyph
    // matches (Font5x8CodeOf decides between codes of equal shape).
    int CellCode(int row, int cell) const;
    // One text row as UTF-8: printable Windows-1251 characters as themselves (except the
    // backslash), other codes as \xNN, cells matching no glyph as '?'.
    std::string TextRow(int row) const;
    // True when both halves have the display switched on.
    bool DisplayOn() const { return halves_[0].DisplayOn() && halves_[1].DisplayOn(); }

    uint64_t Revision() const override;
    std::string StateText() const override;

protected:
    void ControlChanged(uint8_t before, uint8_t after) override;

private:
    bool activeLow_;
    std::array<TKs0108Controller, 2> halves_;
};

} // namespace orv
