// The layout of one screen line to the display width: aligned when it fits, else the next
// window of its scroll mode. The state is the scroll position and direction of every line.
#pragma once

#include "engine/DisplaySize.h"

#include <array>
#include <cstdint>
#include <string>

namespace orv {

// Values a hand-edited job may hold outside these lay a line out as left-aligned and, when it
// is too long, standing still at its start.
enum TLineAlign : uint8_t {
    laLeft = 0,
    laCentre = 1,
    laRight = 2,
};

enum TLineScroll : uint8_t {
    lsMoveLeft = 0,
    lsMoveRight = 1,
    lsBackAndForth = 2,
};

class TLineLayout {
public:
    // Every line starts over: scroll position scrollPos (the thread enters a screen with 0, the
    // preview starts with 1), moving forward.
    void Reset(int rows, int32_t scrollPos = 0);
    // Line line (1-based) of text laid out to width cols: aligned when it fits, else the next
    // scroll window of its mode (the scroll state advances). Always exactly cols characters.
    std::string Layout(int line, const std::string& text, int cols, TLineAlign align,
                       TLineScroll scroll, const std::string& separator);

private:
    std::array<int32_t, kMaxRows> scrollPos_{};
    std::array<bool, kMaxRows> scrollBack_{};
};

} // namespace orv
