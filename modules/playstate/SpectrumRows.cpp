#include "modules/playstate/SpectrumRows.h"

#include <algorithm>

namespace orv {

std::string TSpectrumRows::Row(const uint8_t (&bands)[kMp3Bands], size_t width, uint8_t selector) {
    int rowFromTop = selector / 10;
    int rows = selector % 10;
    if (rows == 0) rowFromTop = rows = 1;
    const int rowFromBottom = rows - rowFromTop + 1;
    const int bandHeight = 255 / rows;
    const int step = 255 / (8 * rows) + 1;

    std::string out;
    width = std::min(width, kMp3Bands);
    out.reserve(width);
    for (size_t i = 0; i < width; ++i) {
        int value = bands[i];
        if (shown_[i] > value) value = (value + 2 * shown_[i]) / 3;
        shown_[i] = static_cast<uint8_t>(value);
        const int k = (value - bandHeight * (rowFromBottom - 1)) / step;
        if (k <= 0)
            out += ' ';
        else
            out += static_cast<char>(bars_[static_cast<size_t>(std::min(k, 8) - 1)]);
    }
    return out;
}

} // namespace orv
