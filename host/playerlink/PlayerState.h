// What a media player on the session bus reports through MPRIS, as the watcher last saw it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

enum class TPlaybackStatus : uint8_t { Stopped, Playing, Paused };

struct TPlayerState {
    bool Present = false; // false: no player on the bus (the other fields are empty)
    TPlaybackStatus Status = TPlaybackStatus::Stopped;
    int64_t PositionUs = 0;
    int64_t LengthUs = 0;
    std::string Url;      // xesam:url, UTF-8
    std::string Title;    // xesam:title, UTF-8
    std::string Identity; // the player's name for people ("mpv"), UTF-8
    std::string BusName;  // org.mpris.MediaPlayer2.NAME

    bool operator==(const TPlayerState&) const = default;
};

// "Playing", "Paused" or "Stopped"; anything else counts as stopped.
TPlaybackStatus PlaybackStatusOf(std::string_view text);

// The local path of a file URL ("file:///music/a%20b.mp3" -> "/music/a b.mp3", also
// "file://localhost/..."); any other text is returned unchanged.
std::string FileUrlToPath(std::string_view url);

} // namespace orv
