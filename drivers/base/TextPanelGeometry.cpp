#include "drivers/base/TextPanelGeometry.h"

#include "base/TextUtil.h"

namespace orv {

bool IsTextPanelRowCount(int32_t rows) { return rows == 1 || rows == 2 || rows == 4; }

bool IsTextPanelColCount(int32_t cols) {
    return cols == 16 || cols == 20 || cols == 24 || cols == 32 || cols == 40;
}

bool TakesRowCount(std::string_view text) {
    const auto rows = ParseInt32(text);
    return rows && IsTextPanelRowCount(*rows);
}

bool TakesColCount(std::string_view text) {
    const auto cols = ParseInt32(text);
    return cols && IsTextPanelColCount(*cols);
}

bool TakesSwitch(std::string_view text) {
    const auto value = ParseInt32(text);
    return value && (*value == 0 || *value == 1);
}

uint8_t Hd44780RowAddress(int row, int cols) {
    const int line = (row - 1) % 2 == 0 ? 0x00 : 0x40;
    return static_cast<uint8_t>(row >= 3 ? line + cols : line);
}

} // namespace orv
