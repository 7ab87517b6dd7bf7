// The first MPEG audio frame header of a file: bit rate, sampling rate and channel mode.
#pragma once

#include <cstdint>

namespace orv {

class TByteSource;

enum TChannelMode : uint8_t { cmStereo = 0, cmJointStereo = 1, cmDualChannel = 2, cmMono = 3 };

struct TMpegHeader {
    uint32_t BitRateKbps = 0;  // 0 for a free or reserved index
    uint32_t SampleRateHz = 0; // 0 for the reserved index
    uint8_t ChannelMode = cmStereo;
};

// Decodes a header read as a big-endian 32-bit value: bits 20-19 the MPEG version (1, 2 or
// 2.5), bits 18-17 the layer, 15-12 the bit-rate index, 11-10 the sampling-rate index, 7-6 the
// channel mode. A reserved version, layer or index gives 0 for the values concerned.
TMpegHeader DecodeMpegHeader(uint32_t header);

// The header of the first frame at or after offset: the first frame sync within the next 8 KiB
// (the audio often starts a little after the tag); all zero when there is none.
TMpegHeader FindMpegHeader(TByteSource& source, uint64_t offset);

} // namespace orv
