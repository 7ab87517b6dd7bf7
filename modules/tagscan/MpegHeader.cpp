#include "modules/tagscan/MpegHeader.h"

#include "modules/tagscan/ByteSource.h"

#include <array>
#include <string>

namespace orv {

namespace {

using TBitRates = std::array<uint16_t, 14>; // indexes 1..14

// MPEG-1 layers I, II, III, then MPEG-2 and 2.5: layer I, layers II and III.
constexpr TBitRates kMpeg1Layer1 = {32,  64,  96,  128, 160, 192, 224,
                                    256, 288, 320, 352, 384, 416, 448};
constexpr TBitRates kMpeg1Layer2 = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr TBitRates kMpeg1Layer3 = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr TBitRates kMpeg2Layer1 = {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr TBitRates kMpeg2Layer23 = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

constexpr std::array<uint32_t, 3> kMpeg1Rates = {44100, 48000, 32000};
constexpr std::array<uint32_t, 3> kMpeg2Rates = {22050, 24000, 16000};
constexpr std::array<uint32_t, 3> kMpeg25Rates = {11025, 12000, 8000};

constexpr size_t kSyncSearchBytes = 8192;

enum TMpegVersion : uint32_t { mv25 = 0, mvReserved = 1, mv2 = 2, mv1 = 3 };

constexpr bool IsFrameSync(uint32_t h) {
    return (h & 0xFFE00000u) == 0xFFE00000u && ((h >> 19) & 3) != mvReserved &&
           ((h >> 17) & 3) != 0 && ((h >> 12) & 15) != 15 && ((h >> 10) & 3) != 3;
}

} // namespace

TMpegHeader DecodeMpegHeader(uint32_t h) {
    const uint32_t version = (h >> 19) & 3;
    const uint32_t layer = (h >> 17) & 3; // 3 = layer I, 2 = II, 1 = III
    const uint32_t bitRateIndex = (h >> 12) & 15;
    const uint32_t rateIndex = (h >> 10) & 3;

    TMpegHeader out;
    out.ChannelMode = static_cast<uint8_t>((h >> 6) & 3);
    if (version == mvReserved) return out;
    const TBitRates* rates = nullptr;
    if (version == mv1)
        rates = layer == 3   ? &kMpeg1Layer1
                : layer == 2 ? &kMpeg1Layer2
                : layer == 1 ? &kMpeg1Layer3
                             : nullptr;
    else
        rates = layer == 3 ? &kMpeg2Layer1 : layer != 0 ? &kMpeg2Layer23 : nullptr;
    if (rates && bitRateIndex >= 1 && bitRateIndex <= 14)
        out.BitRateKbps = (*rates)[bitRateIndex - 1];
    if (rateIndex < 3)
        out.SampleRateHz = (version == mv1   ? kMpeg1Rates
                            : version == mv2 ? kMpeg2Rates
                                             : kMpeg25Rates)[rateIndex];
    return out;
}

TMpegHeader FindMpegHeader(TByteSource& source, uint64_t offset) {
    if (offset >= source.Size()) return {};
    const std::string bytes = source.Read(offset, kSyncSearchBytes + 3);
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        const uint32_t h = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 24 |
                           static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 16 |
                           static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 2])) << 8 |
                           static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 3]));
        if (IsFrameSync(h)) return DecodeMpegHeader(h);
    }
    return {};
}

} // namespace orv
