// ID3 tags and MPEG frames made byte by byte, and a byte source over memory that notes any
// read the reader asks for past the end of the data.
#pragma once

#include "modules/tagscan/ByteSource.h"

#include <cstdint>
#include <string>

namespace orv::test {

class TMemorySource final : public TByteSource {
public:
    explicit TMemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    std::string Read(uint64_t offset, size_t n) override {
        if (offset > bytes_.size()) {
            readPastEnd_ = true;
            return {};
        }
        return bytes_.substr(static_cast<size_t>(offset), n);
    }
    bool ReadPastEnd() const { return readPastEnd_; }

private:
    std::string bytes_;
    bool readPastEnd_ = false;
};

inline std::string BigEndian(uint32_t value, int bytes = 4) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string SynchsafeBytes(uint32_t value) {
    std::string out;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((value >> (7 * i)) & 0x7F);
    return out;
}

// A frame of a version 2.2, 2.3 or 2.4 tag; payload starts with the encoding byte.
inline std::string Frame(int major, const std::string& id, const std::string& payload,
                         uint8_t formatFlags = 0) {
    if (major == 2) return id + BigEndian(static_cast<uint32_t>(payload.size()), 3) + payload;
    const std::string size = major == 4 ? SynchsafeBytes(static_cast<uint32_t>(payload.size()))
                                        : BigEndian(static_cast<uint32_t>(payload.size()));
    return id + size + std::string(1, '\0') + std::string(1, static_cast<char>(formatFlags)) +
           payload;
}

// A whole tag: header and frames, then padding bytes.
inline std::string Tag(int major, const std::string& frames, uint8_t flags = 0,
                       size_t padding = 16) {
    const std::string body = frames + std::string(padding, '\0');
    return std::string("ID3") + static_cast<char>(major) + '\0' + static_cast<char>(flags) +
           SynchsafeBytes(static_cast<uint32_t>(body.size())) + body;
}

inline std::string Field(const std::string& text, size_t size) {
    std::string out = text.substr(0, size);
    out.resize(size, '\0');
    return out;
}

// A version 1 tag (128 bytes).
inline std::string V1Tag(const std::string& title, const std::string& artist,
                         const std::string& album, const std::string& year,
                         const std::string& comment, uint8_t genre) {
    return "TAG" + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field(year, 4) +
           Field(comment, 30) + static_cast<char>(genre);
}

// Audio: one frame header followed by silence.
inline std::string Audio(uint32_t header = 0xFFFB9064, size_t size = 417) {
    return BigEndian(header) + std::string(size - 4, '\0');
}

} // namespace orv::test
