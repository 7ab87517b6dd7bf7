// Reads the ID3 information of an audio file: an ID3 version 2 tag (2.2, 2.3 or 2.4) at its
// start, else an ID3 version 1 tag at its end, and the first MPEG audio frame header.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

class TByteSource;

inline constexpr const char* kId3NotFound = "ID3 information not found";

// Texts are Windows-1251.
struct TFileInfo {
    std::string Title, Artist, Album, Genre, Year, Comment, Track;
    uint32_t BitRateKbps = 0;
    uint32_t SampleRateHz = 0;
    uint8_t ChannelMode = 0; // TChannelMode
    bool HasId3v2 = false;

    bool operator==(const TFileInfo&) const = default;
};

// Version 2 first; when there is none (or only one that cannot be read, such as a compressed
// 2.2 tag) version 1; with neither, the comment says kId3NotFound and the texts are empty. The
// audio's frame header is read in every case.
// Frames of version 2 whose content exceeds 512 bytes are passed over, and no more than 4096
// frames are looked at. Never reads outside the source and never fails.
TFileInfo ReadFileInfo(TByteSource& source);

} // namespace orv
