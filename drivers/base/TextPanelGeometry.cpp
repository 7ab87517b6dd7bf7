#include "drivers/base/TextPanelGeometry.h"

namespace orv {

bool IsTextPanelRowCount(int32_t rows) { return rows == 1 || rows == 2 || rows == 4; }

bool IsTextPanelColCount(int32_t cols) {
    return cols == 16 || cols == 20 || cols == 24 || cols == 32 || cols == 40;
}

uint8_t Hd44780RowAddress(int row, int cols) {
    const int line = (row - 1) % 2 == 0 ? 0x00 : 0x40;
    return static_cast<uint8_t>(row >= 3 ? line + cols : line);
}

} // namespace orv
