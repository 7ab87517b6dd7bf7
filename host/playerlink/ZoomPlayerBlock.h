// How the followed player's state is written into ZoomPlayerData.
#pragma once

#include "abi/MediaBlocks.h"
#include "host/playerlink/PlayerState.h"

namespace orv {

// No player: state 255 (closed) with empty texts and both times 0. Otherwise the play state
// (Playing 1, Paused 3, Stopped 0 with the position 0), position and length in days and the
// path of a file URL (any other URL as it is), in Windows-1251, cut to its field. The
// information text stays empty: the title is no passing message of the player.
void WritePlayerState(const TPlayerState& state, TZoomPlayerData& block);

} // namespace orv
