// The bridge's side of OrvantaMP3Data: it creates the block, or takes over one left by an
// earlier run (readers that already map it keep seeing it), and writes whole updates into it.
// At the end it leaves the block with a negative play state, meaning "no data".
#pragma once

#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"

#include <array>
#include <memory>
#include <string>

namespace orv {

// One update of the block; texts in UTF-8.
struct TMp3Update {
    int16_t State = msNoData;
    int32_t PositionSec = 0;
    int32_t LengthSec = 0;
    std::string Path;
    uint8_t LevelLeft = 0, LevelRight = 0;
    std::array<uint8_t, kMp3Bands> Spectrum{};
};

// The characters in front of the path: where the bridge got it from.
inline constexpr const char* kMpdPathLead = "mpd:";
inline constexpr const char* kMprisPathLead = "mpr:";

class TMp3Publisher {
public:
    // nullptr when the block cannot be created.
    static std::unique_ptr<TMp3Publisher> Create();
    ~TMp3Publisher(); // no data
    TMp3Publisher(const TMp3Publisher&) = delete;
    TMp3Publisher& operator=(const TMp3Publisher&) = delete;

    // The path goes in after lead (four characters), converted to Windows-1251 and cut to the
    // field; no data (a negative state) empties the path, times, levels and spectrum.
    void Publish(const TMp3Update& update, const char* lead);

private:
    explicit TMp3Publisher(std::unique_ptr<TSharedBlock> block) : block_(std::move(block)) {}
    std::unique_ptr<TSharedBlock> block_;
};

} // namespace orv
