#include "modules/tagscan/Id3Reader.h"

#include "modules/tagscan/ByteSource.h"
#include "modules/tagscan/Genres.h"
#include "modules/tagscan/Id3Text.h"
#include "modules/tagscan/MpegHeader.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace orv {

namespace {

constexpr size_t kTagHeaderSize = 10;
constexpr uint32_t kMaxFrameSize = 512; // larger frames (pictures, lyrics) are passed over
constexpr size_t kId3v1Size = 128;
// Frames looked at at most: a tag of millions of tiny frames is read no further.
constexpr size_t kMaxFrames = 4096;
constexpr uint64_t kMaxUnsyncedTag = 1 << 20; // read into memory; frames beyond are not seen

uint8_t Byte(std::string_view bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

uint32_t BigEndian(std::string_view bytes) {
    uint32_t value = 0;
    for (char c : bytes) value = value << 8 | static_cast<uint8_t>(c);
    return value;
}

// Four bytes of seven bits each; nullopt when a byte has its top bit set.
std::optional<uint32_t> Synchsafe(std::string_view bytes) {
    uint32_t value = 0;
    for (char c : bytes) {
        if (static_cast<uint8_t>(c) & 0x80) return std::nullopt;
        value = value << 7 | static_cast<uint8_t>(c);
    }
    return value;
}

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::string Resynchronise(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
    }
    return out;
}

struct TFrameLayout {
    size_t IdSize, HeaderSize;
};

// The header of an ID3 version 2 tag.
struct TTagHeader {
    uint8_t Major = 0;
    uint8_t Flags = 0;
    uint32_t Size = 0; // without the header and footer
    uint64_t End() const { return kTagHeaderSize + Size + (Major == 4 && (Flags & 0x10) ? 10 : 0); }
};

std::optional<TTagHeader> ReadTagHeader(TByteSource& source) {
    const std::string h = source.Read(0, kTagHeaderSize);
    if (h.size() < kTagHeaderSize || !h.starts_with("ID3")) return std::nullopt;
    const std::optional<uint32_t> size = Synchsafe(std::string_view(h).substr(6, 4));
    if (!size) return std::nullopt;
    return TTagHeader{.Major = Byte(h, 3), .Flags = Byte(h, 5), .Size = *size};
}

// The frames that give the year, best first: the recording year (2.2/2.3 "TYE"/"TYER", 2.4
// "TDRC"), then the 2.4 release time "TDRL" (eyeD3's --release-year), then the original
// release time "TDOR".
constexpr int kNoYear = 3;
int YearRank(std::string_view id) {
    if (id == "TYER" || id == "TYE" || id == "TDRC") return 0;
    if (id == "TDRL") return 1;
    if (id == "TDOR") return 2;
    return kNoYear;
}

// The field a text frame fills, by its 2.3/2.4 or 2.2 identifier; null for other frames.
std::string TFileInfo::*TextFieldOf(std::string_view id) {
    if (id == "TIT2" || id == "TT2") return &TFileInfo::Title;
    if (id == "TPE1" || id == "TP1") return &TFileInfo::Artist;
    if (id == "TALB" || id == "TAL") return &TFileInfo::Album;
    if (id == "TCON" || id == "TCO") return &TFileInfo::Genre;
    if (YearRank(id) < kNoYear) return &TFileInfo::Year;
    if (id == "TRCK" || id == "TRK") return &TFileInfo::Track;
    return nullptr;
}

bool IsComment(std::string_view id) { return id == "COMM" || id == "COM"; }

// Stores the frames the tags show.
class TFrameSink {
public:
    explicit TFrameSink(TFileInfo& info) : info_(info) {}

    static bool Wanted(std::string_view id) { return IsComment(id) || TextFieldOf(id); }

    // payload: the encoding byte and the frame's content.
    void Take(std::string_view id, std::string_view payload) {
        if (payload.empty()) return;
        const uint8_t encoding = Byte(payload, 0);
        const std::string_view content = payload.substr(1);
        if (IsComment(id)) return TakeComment(encoding, content);
        if (const int rank = YearRank(id); rank < kNoYear)
            return TakeYear(rank, id.starts_with("TD"), encoding, content);
        std::string& field = info_.*TextFieldOf(id);
        field = DecodeId3Text(encoding, content);
        if (id == "TCON" || id == "TCO") field = GenreText(field);
    }

private:
    // A year frame that is not empty replaces the year of one of the same or a lower rank; a
    // 2.4 time ("2003-05-01T12:00") gives its year.
    void TakeYear(int rank, bool time, uint8_t encoding, std::string_view content) {
        std::string year = DecodeId3Text(encoding, content);
        if (year.empty() || rank > yearRank_) return;
        info_.Year = time ? year.substr(0, 4) : year;
        yearRank_ = rank;
    }

    // The language (3 bytes), a short description and the text. A comment without a
    // description wins over one with (players keep their own data in described comments);
    // otherwise the first one stays.
    void TakeComment(uint8_t encoding, std::string_view content) {
        if (content.size() < 3) return;
        content.remove_prefix(3);
        const bool described = !DecodeId3Text(encoding, content).empty();
        if (haveComment_ && (!commentDescribed_ || described)) return;
        const size_t descriptionEnd = TextEnd(encoding, content);
        const std::string_view text =
            descriptionEnd < content.size()
                ? content.substr(
                      std::min(content.size(), descriptionEnd + TerminatorSize(encoding)))
                : content;
        info_.Comment = DecodeId3Text(encoding, text);
        haveComment_ = true;
        commentDescribed_ = described;
    }

    TFileInfo& info_;
    int yearRank_ = kNoYear;
    bool haveComment_ = false;
    bool commentDescribed_ = false;
};

bool IsFrameIdChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Walks the frames of a version 2 tag. false when the tag cannot be read at all.
bool ReadId3v2(TByteSource& source, const TTagHeader& tag, TFileInfo& info) {
    if (tag.Major < 2 || tag.Major > 4) return false;
    if (tag.Major == 2 && (tag.Flags & 0x40)) return false; // compressed 2.2 tag: no known scheme
    const TFrameLayout layout = tag.Major == 2 ? TFrameLayout{3, 6} : TFrameLayout{4, 10};
    const uint64_t tagEnd = std::min<uint64_t>(kTagHeaderSize + tag.Size, source.Size());

    // A 2.2/2.3 tag unsynchronised as a whole is read into memory and resynchronised first.
    const bool wholeTagUnsynced = tag.Major < 4 && (tag.Flags & 0x80);
    std::string body;
    if (wholeTagUnsynced)
        body = Resynchronise(
            source.Read(kTagHeaderSize,
                        static_cast<size_t>(std::min(tagEnd - kTagHeaderSize, kMaxUnsyncedTag))));
    auto read = [&](uint64_t offset, size_t n) -> std::string {
        if (!wholeTagUnsynced) return source.Read(offset, n);
        const uint64_t at = offset - kTagHeaderSize;
        return at < body.size() ? body.substr(static_cast<size_t>(at), n) : std::string();
    };
    const uint64_t end = wholeTagUnsynced ? kTagHeaderSize + body.size() : tagEnd;

    uint64_t pos = kTagHeaderSize;
    if (tag.Major >= 3 && (tag.Flags & 0x40)) { // extended header
        const std::string size = read(pos, 4);
        if (size.size() < 4) return true;
        if (tag.Major == 3) {
            pos += 4 + static_cast<uint64_t>(BigEndian(size));
        } else {
            const std::optional<uint32_t> synchsafe = Synchsafe(size);
            if (!synchsafe) return true;
            pos += *synchsafe;
        }
    }

    TFrameSink sink(info);
    for (size_t frames = 0; pos + layout.HeaderSize <= end && frames < kMaxFrames; ++frames) {
        const std::string header = read(pos, layout.HeaderSize);
        if (header.size() < layout.HeaderSize) break;
        const std::string_view id = std::string_view(header).substr(0, layout.IdSize);
        if (!std::all_of(id.begin(), id.end(), IsFrameIdChar)) break; // padding or garbage
        const std::string_view sizeBytes =
            std::string_view(header).substr(layout.IdSize, tag.Major == 2 ? 3 : 4);
        uint32_t size = 0;
        if (tag.Major == 4) {
            const std::optional<uint32_t> synchsafe = Synchsafe(sizeBytes);
            if (!synchsafe) break;
            size = *synchsafe;
        } else {
            size = BigEndian(sizeBytes);
        }
        const uint64_t payloadAt = pos + layout.HeaderSize;
        if (size > end - payloadAt) break; // runs past the tag: the tag is damaged from here
        pos = payloadAt + size;
        if (size == 0 || size > kMaxFrameSize || !TFrameSink::Wanted(id)) continue;

        const uint8_t formatFlags = tag.Major == 2 ? 0 : Byte(header, 9);
        std::string payload = read(payloadAt, size);
        size_t added = 0; // bytes the flags put before the content
        if (tag.Major == 3) {
            if (formatFlags & 0xC0) continue;  // compressed or encrypted
            if (formatFlags & 0x20) added = 1; // group
        } else if (tag.Major == 4) {
            if (formatFlags & 0x0C) continue;   // compressed or encrypted
            if (formatFlags & 0x40) added += 1; // group
            if (formatFlags & 0x01) added += 4; // data length
        }
        payload.erase(0, std::min(added, payload.size()));
        if (tag.Major == 4 && (formatFlags & 0x02)) payload = Resynchronise(payload);
        sink.Take(id, payload);
    }
    return true;
}

bool ReadId3v1(TByteSource& source, TFileInfo& info) {
    if (source.Size() < kId3v1Size) return false;
    const std::string tag = source.Read(source.Size() - kId3v1Size, kId3v1Size);
    if (tag.size() < kId3v1Size || !tag.starts_with("TAG")) return false;
    const std::string_view t(tag);
    info.Title = Id3v1Field(t.substr(3, 30));
    info.Artist = Id3v1Field(t.substr(33, 30));
    info.Album = Id3v1Field(t.substr(63, 30));
    info.Year = Id3v1Field(t.substr(93, 4));
    info.Comment = Id3v1Field(t.substr(97, 30));
    if (t[125] == '\0' && t[126] != '\0') info.Track = std::to_string(Byte(t, 126));
    info.Genre = std::string(GenreName(Byte(t, 127)));
    return true;
}

} // namespace

TFileInfo ReadFileInfo(TByteSource& source) {
    TFileInfo info;
    const std::optional<TTagHeader> tag = ReadTagHeader(source);
    const uint64_t audioStart = tag ? tag->End() : 0;
    if (tag && ReadId3v2(source, *tag, info)) {
        info.HasId3v2 = true;
    } else if (!ReadId3v1(source, info)) {
        info = TFileInfo{};
        info.Comment = kId3NotFound;
    }
    const TMpegHeader header = FindMpegHeader(source, audioStart);
    info.BitRateKbps = header.BitRateKbps;
    info.SampleRateHz = header.SampleRateHz;
    info.ChannelMode = header.ChannelMode;
    return info;
}

} // namespace orv
