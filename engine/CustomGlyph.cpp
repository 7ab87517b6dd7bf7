#include "engine/CustomGlyph.h"

#include "base/TextUtil.h"

#include <algorithm>

namespace orv {

const std::array<TBuiltInGlyph, kBuiltInGlyphCount> kBuiltInGlyphs = {{
    {"hb_0", "$0C,$08,$08,$08,$08,$08,$08,$0C"},   {"hb_1", "$0C,$08,$0B,$0B,$0B,$0B,$08,$0C"},
    {"hb_2", "$00,$00,$00,$00,$00,$00,$00,$00"},   {"hb_3", "$00,$00,$18,$18,$18,$18,$00,$00"},
    {"hb_4", "$00,$00,$1E,$1E,$1E,$1E,$00,$00"},   {"hb_5", "$00,$00,$1F,$1F,$1F,$1F,$00,$00"},
    {"hb_6", "$06,$02,$1A,$1A,$1A,$1A,$02,$06"},   {"hb_7", "$06,$02,$02,$02,$02,$02,$02,$06"},
    {"vb_0", "$1F,$1F,$1F,$1F,$1F,$1F,$1F,$1F"},   {"vb_1", "$00,$1F,$1F,$1F,$1F,$1F,$1F,$1F"},
    {"vb_2", "$00,$00,$1f,$1f,$1f,$1f,$1f,$1f"},   {"vb_3", "$00,$00,$00,$1f,$1f,$1f,$1f,$1f"},
    {"vb_4", "$00,$00,$00,$00,$1f,$1f,$1f,$1f"},   {"vb_5", "$00,$00,$00,$00,$00,$1f,$1f,$1f"},
    {"vb_6", "$00,$00,$00,$00,$00,$00,$1f,$1f"},   {"vb_7", "$00,$00,$00,$00,$00,$00,$00,$1f"},
    {"cust_1", "$00,$00,$00,$01,$03,$07,$0F,$1F"}, {"cust_2", "$00,$00,$00,$11,$1A,$1C,$1E,$1F"},
    {"cust_3", "$00,$00,$00,$11,$0B,$07,$03,$01"}, {"cust_4", "$00,$00,$00,$10,$18,$1C,$1E,$1F"},
    {"cust_5", "$1F,$0F,$07,$03,$01,$00,$00,$00"}, {"cust_6", "$1F,$1E,$1C,$1A,$11,$00,$00,$00"},
    {"cust_7", "$01,$03,$07,$0B,$11,$00,$00,$00"}, {"cust_8", "$1F,$1E,$1C,$18,$10,$00,$00,$00"},
}};

const std::array<TGlyphRows, 6> kBigClockGlyphs = {{
    {0x1c, 0x1c, 0x1c, 0x1c, 0, 0, 0, 0},
    {7, 7, 7, 7, 0, 0, 0, 0},
    {0x1c, 0x1c, 0x1c, 0x1c, 0x1c, 0x1c, 0x1c, 0x1c},
    {7, 7, 7, 7, 7, 7, 7, 7},
    {0x1f, 0x1f, 0x1f, 0x1f, 0, 0, 0, 0},
    {0, 0, 0, 0, 0xe, 0xe, 0xe, 0xe},
}};

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = LowerAscii(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + 10;
    return -1;
}

void AppendHexByte(std::string& out, uint8_t value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += kHex[value >> 4];
    out += kHex[value & 0xF];
}

} // namespace

std::optional<uint8_t> ParseGlyphByte(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
        if (text.empty() || text.size() > 8) return std::nullopt;
        uint32_t value = 0;
        for (char c : text) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            value = value << 4 | static_cast<uint32_t>(d);
        }
        return static_cast<uint8_t>(value);
    }
    const auto value = ParseInt32(text);
    if (!value) return std::nullopt;
    return static_cast<uint8_t>(static_cast<uint32_t>(*value));
}

std::optional<TGlyphRows> ParseGlyphRows(std::string_view text) {
    TGlyphRows rows{};
    size_t pos = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (pos > text.size()) return std::nullopt;
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) comma = text.size();
        const auto value = ParseGlyphByte(text.substr(pos, comma - pos));
        if (!value) return std::nullopt;
        rows[i] = *value;
        pos = comma + 1;
    }
    return rows;
}

std::string FormatGlyphRows(const TGlyphRows& rows) {
    std::string out;
    out.reserve(rows.size() * 4);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) out += ',';
        out += '$';
        AppendHexByte(out, rows[i]);
    }
    return out;
}

TGlyphRows ParseMaskRows(std::string_view text) {
    TGlyphRows rows{};
    size_t pos = 0;
    for (size_t i = 0; i < rows.size() && pos <= text.size(); ++i) {
        size_t semi = text.find(';', pos);
        if (semi == std::string_view::npos) semi = text.size();
        std::string item(Trim(text.substr(pos, semi - pos)));
        if (!item.empty() && (item.front() == 'x' || item.front() == 'X')) item.front() = '$';
        rows[i] = ParseGlyphByte(item).value_or(0) & 0x1F;
        pos = semi + 1;
    }
    return rows;
}

TGlyphMask ParseGlyphMask(std::string_view text) {
    std::string compact;
    for (char c : text)
        if (c != ' ') compact += c;
    if (!compact.empty() && compact.front() == '\'') compact.erase(0, 1);
    if (!compact.empty() && compact.back() == '\'') compact.pop_back();
    TGlyphMask mask;
    if (compact.empty()) return mask;
    if (compact.front() >= '0' && compact.front() <= '9') mask.Number = compact.front() - '0';
    mask.Rows =
        ParseMaskRows(std::string_view(compact).substr(std::min<size_t>(2, compact.size())));
    return mask;
}

std::string FormatMaskRows(const TGlyphRows& rows) {
    std::string out;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) out += ';';
        out += 'x';
        AppendHexByte(out, rows[i] & 0x1F);
    }
    return out;
}

std::string FormatGlyphMask(const TGlyphMask& mask) {
    return "'" + std::to_string(mask.Number) + ";" + FormatMaskRows(mask.Rows) + "'";
}

std::optional<uint8_t> SlotCodeOfDigit(char c) {
    if (c < '1' || c > '8') return std::nullopt;
    return static_cast<uint8_t>(c - '0');
}

} // namespace orv
