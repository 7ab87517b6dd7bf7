// TLCDControl_KS0108_LPT: 128 x 64 graphic panels of two KS0108 controllers on the parallel
// port, used as 8 rows of 21 character cells of 6 x 8 pixels drawn from the 5 x 8 font.
// Control register: bit 0 = enable (1 idle, 0 pulse), bit 3 = 1 for instructions and 0 for
// display data, bits 1 and 2 = half select (both 0 left, both 1 right).
#pragma once

#include "drivers/base/LCDBaseControlUnit.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

namespace orv {

class TLCDControl_KS0108_LPT : public TLCDPortControl {
public:
    static constexpr uint8_t kLeftHalf = 0x00;
    static constexpr uint8_t kRightHalf = 0x06;
    static constexpr int kRows = 8;
    static constexpr int kCols = 21;
    static constexpr int64_t kRefreshPeriodMs = 5000;

    using TGlyphColumns = std::array<uint8_t, 6>; // bit 0 = top pixel; the sixth is blank

    TLCDControl_KS0108_LPT();
    ~TLCDControl_KS0108_LPT() override;

    // Fixed at 21 columns and 8 rows whatever is written; the notification is still sent.
    void SetColCount(int32_t value) override;
    int32_t GetColCount() override { return kCols; }
    void SetRowCount(int32_t value) override;
    int32_t GetRowCount() override { return kRows; }
    void Clear() override;
    // Rows 1..8 and columns 1..21; characters outside the panel are dropped.
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override;
    // Changes the shape of code index + 1 in the library's font (for driver objects created
    // later too) and in this object's glyph table. The panel keeps pixels, not codes: while
    // active, every cell written with that code is drawn again in its new shape, as a
    // character panel's controller does by itself.
    void DefineChar(uint8_t index, const uint8_t* pattern) override;

    const TGlyphColumns& GlyphColumns(uint8_t code) const { return glyphs_[code]; }
    // The millisecond clock of the 5-second refresh (tests pass their own).
    void SetClock(std::function<int64_t()> nowMs) { clock_ = std::move(nowMs); }

protected:
    void InitPanel() override;

private:
    void BuildGlyph(uint8_t code);
    void SelectPage(uint8_t page);
    // The glyph of code into cell (0-based) of the selected page.
    void DrawCell(int cell, uint8_t code);
    void RedrawCode(uint8_t code);
    void WriteInstruction(uint8_t code, uint8_t half);
    void WriteData(uint8_t value);
    // Display on and start line 0 again for both halves, at most every 5 seconds; sent after a
    // complete write, never while the enable line is up.
    void RefreshIfDue();
    int64_t NowMs() const;

    std::array<TGlyphColumns, 256> glyphs_{};
    // The code last drawn in each cell; kNoCode where the panel shows no code (cleared, or not
    // written since activation).
    static constexpr int16_t kNoCode = -1;
    std::array<std::array<int16_t, kCols>, kRows> shownCodes_{};
    std::atomic<uint8_t> column_ = 0; // pixel column 0..127 of the next data byte
    std::atomic<uint8_t> page_ = 0;
    std::optional<int64_t> lastRefreshMs_;
    std::function<int64_t()> clock_;
};

} // namespace orv
