// The two shared blocks of player data and their byte layouts (little-endian, x86-64):
// ZoomPlayerData, written by the program's player link and read by videowatch, and
// OrvantaMP3Data, written by the orvanta3-mpd bridge and read by playstate and tagscan.
//
// Writers and readers share no lock: a reader copies the whole block first and may see a mix
// of two updates, so it checks every length byte against its field's capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace orv {

inline constexpr std::string_view kZoomPlayerDataName = "ZoomPlayerData";
inline constexpr std::string_view kMp3DataName = "OrvantaMP3Data";

// A length byte followed by up to Capacity Windows-1251 characters.
template <size_t Capacity> struct TShortString {
    uint8_t Length;
    char Text[Capacity];

    std::string Get() const { return std::string(Text, Length < Capacity ? Length : Capacity); }
    // Longer text is cut to the capacity.
    void Set(std::string_view text) {
        const size_t n = text.size() < Capacity ? text.size() : Capacity;
        // An empty view may hold no pointer at all, which memcpy must not be given.
        if (n != 0) std::memcpy(Text, text.data(), n);
        std::memset(Text + n, 0, Capacity - n);
        Length = static_cast<uint8_t>(n);
    }
};

// Play states of ZoomPlayerData.
enum TZoomState : uint8_t { zsStopped = 0, zsPlaying = 1, zsPaused = 3, zsClosed = 255 };

struct TZoomPlayerData {
    double LengthDays; // 1.0 = 24 hours
    double PositionDays;
    uint8_t State; // TZoomState
    TShortString<100> Info;
    TShortString<255> Path;
    uint8_t Reserved[2];
};
static_assert(offsetof(TZoomPlayerData, LengthDays) == 0);
static_assert(offsetof(TZoomPlayerData, PositionDays) == 8);
static_assert(offsetof(TZoomPlayerData, State) == 16);
static_assert(offsetof(TZoomPlayerData, Info) == 17);
static_assert(offsetof(TZoomPlayerData, Path) == 118);
static_assert(offsetof(TZoomPlayerData, Reserved) == 374);
static_assert(sizeof(TZoomPlayerData) == 376);

// Play states of OrvantaMP3Data; a negative state means there is no data.
enum TMp3State : int16_t {
    msNoData = -1,
    msStopped = 0,
    msPlaying = 1,
    msPaused = 3,
    msNoMedia = 4,
    msShuttingDown = 255,
};

inline constexpr size_t kMp3Bands = 20;
// The path field starts with this many characters that are not part of the path.
inline constexpr size_t kMp3PathLead = 4;

struct TMp3Data {
    uint8_t LevelLeft; // 0..255
    uint8_t LevelRight;
    TShortString<255> Path; // kMp3PathLead characters, then the full path of the file
    uint8_t Unused1[2];
    int16_t State; // TMp3State
    uint8_t Unused2[2];
    int32_t PositionSec;
    int32_t LengthSec;
    uint8_t Unused3[20];
    uint8_t Spectrum[kMp3Bands]; // 0..255, lowest band first
};
static_assert(offsetof(TMp3Data, LevelRight) == 1);
static_assert(offsetof(TMp3Data, Path) == 2);
static_assert(offsetof(TMp3Data, State) == 260);
static_assert(offsetof(TMp3Data, PositionSec) == 264);
static_assert(offsetof(TMp3Data, LengthSec) == 268);
static_assert(offsetof(TMp3Data, Spectrum) == 292);
static_assert(sizeof(TMp3Data) == 312);

// A copy of a mapped block taken in one go.
template <typename Block> Block SnapshotOf(const void* mapped) {
    Block copy;
    std::memcpy(&copy, mapped, sizeof copy);
    return copy;
}

} // namespace orv
