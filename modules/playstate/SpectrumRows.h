// The spectrum tags of playstate: one display row of a spectrum that spans one or more rows,
// drawn with the vertical-bar characters, with falling bands sinking slowly.
#pragma once

#include "abi/MediaBlocks.h"

#include <array>
#include <cstdint>
#include <string>

namespace orv {

class TSpectrumRows {
public:
    // The display codes of the bar roles vb_0 .. vb_7 (section "Custom charset mapping").
    void SetBarCharacters(const std::array<uint8_t, 8>& codes) { bars_ = codes; }

    // width characters for the bands 0 .. width-1. selector "XY": row X, counted from the top,
    // of a spectrum Y rows high ("11" one row, "12"/"22" the rows of a two-row spectrum); a
    // units digit 0 draws a one-row spectrum. Every call moves the smoothing of those bands on
    // by one step: a rising band shows at once, a falling one sinks by a third of the gap.
    std::string Row(const uint8_t (&bands)[kMp3Bands], size_t width, uint8_t selector);

private:
    std::array<uint8_t, 8> bars_{};
    std::array<uint8_t, kMp3Bands> shown_{}; // the value each band showed last
};

} // namespace orv
