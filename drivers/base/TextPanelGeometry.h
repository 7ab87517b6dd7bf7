// The sizes of the HD44780 character panels the text drivers take, and where their rows start
// in display memory.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

// 1, 2 or 4 rows.
bool IsTextPanelRowCount(int32_t rows);
// 16, 20, 24, 32 or 40 columns.
bool IsTextPanelColCount(int32_t cols);

// The same for settings text: a decimal count the panels take; and "0" or "1".
bool TakesRowCount(std::string_view text);
bool TakesColCount(std::string_view text);
bool TakesSwitch(std::string_view text);

// The DDRAM address of the first cell of row (1..rows) on a panel with one controller: rows 1
// and 2 at 0x00 and 0x40, rows 3 and 4 continuing them after the visible width.
uint8_t Hd44780RowAddress(int row, int cols);

} // namespace orv
