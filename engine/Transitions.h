// Screen transitions: short animations on the panel that carry the rows of the screen being
// left over into the rows of the screen being entered.
#pragma once

#include "engine/DisplaySize.h"

#include <cstdint>

class TLCDBaseControl;

namespace orv {

class TEngineClock;
class TRandomSource;

// Values of a screen's TransitionEffect; the others have no animation.
enum TTransitionEffect : uint8_t {
    teNone = 0,
    teDissolve = 1,
    teSlide = 6,
    teScrollUp = 8,
};
constexpr int kTransitionEffectCount = 10;
constexpr int32_t kDefaultTransitionSpeedMs = 200;
// The effects are made for panels of at most this many columns.
constexpr int32_t kMaxEffectCols = 40;

// Effects the job editor lets the user choose.
constexpr bool IsTransitionImplemented(int effect) {
    return effect == teNone || effect == teDissolve || effect == teSlide || effect == teScrollUp;
}

class TTransitionPlayer {
public:
    TTransitionPlayer(TEngineClock& clock, TRandomSource& random)
        : clock_(clock), random_(random) {}

    // Plays effect from oldRows to newRows on the driver and returns when it has ended, after
    // about speedMs. Rows are written as they are (no character mapping). Nothing happens
    // without a driver or on a display larger than kMaxRows x kMaxEffectCols.
    void Play(TLCDBaseControl* driver, const TScreenRows& oldRows, const TScreenRows& newRows,
              int effect, int32_t speedMs);

private:
    TEngineClock& clock_;
    TRandomSource& random_;
};

} // namespace orv
