#include "host/playerlink/ZoomPlayerBlock.h"

#include "base/Cp1251.h"

namespace orv {

namespace {

constexpr double kMicrosecondsPerDay = 86'400'000'000.0;

uint8_t ZoomStateOf(TPlaybackStatus status) {
    switch (status) {
    case TPlaybackStatus::Playing: return zsPlaying;
    case TPlaybackStatus::Paused: return zsPaused;
    case TPlaybackStatus::Stopped: break;
    }
    return zsStopped;
}

} // namespace

void WritePlayerState(const TPlayerState& state, TZoomPlayerData& block) {
    if (!state.Present) {
        block.State = zsClosed;
        block.LengthDays = 0;
        block.PositionDays = 0;
        block.Info.Set({});
        block.Path.Set({});
        return;
    }
    block.State = ZoomStateOf(state.Status);
    block.LengthDays = static_cast<double>(state.LengthUs) / kMicrosecondsPerDay;
    block.PositionDays = static_cast<double>(state.PositionUs) / kMicrosecondsPerDay;
    // The information text carries a player's passing messages, which MPRIS players do not
    // send: empty, it lets $zoomStatus show the play state.
    block.Info.Set({});
    block.Path.Set(Utf8ToCp1251(FileUrlToPath(state.Url)));
}

} // namespace orv
