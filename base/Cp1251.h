// Windows-1251 <-> UTF-8. Every string inside the system is Windows-1251; conversion happens
// only at the edges (widgets, terminal, file names, system texts).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// Unicode code points of bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
inline constexpr std::array<uint16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Code point of one Windows-1251 byte; 0 for the unassigned byte 0x98.
constexpr uint32_t Cp1251ToUnicode(uint8_t byte) {
    return byte < 0x80 ? byte : kCp1251High[byte - 0x80];
}

// Windows-1251 byte of a code point, or '?' when it has none.
constexpr char UnicodeToCp1251(uint32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (size_t i = 0; i < kCp1251High.size(); ++i)
        if (kCp1251High[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence at text[pos], advancing pos. Malformed input yields 0xFFFD and
// skips one byte.
constexpr uint32_t DecodeUtf8(std::string_view text, size_t& pos) {
    const auto b0 = static_cast<uint8_t>(text[pos]);
    size_t len = b0 < 0x80             ? 1
                 : (b0 & 0xE0) == 0xC0 ? 2
                 : (b0 & 0xF0) == 0xE0 ? 3
                 : (b0 & 0xF8) == 0xF0 ? 4
                                       : 0;
    if (len == 0 || pos + len > text.size()) {
        ++pos;
        return len == 1 ? b0 : 0xFFFD;
    }
    uint32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<uint8_t>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += len;
    return cp;
}

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, uint32_t cp);

// Windows-1251 -> UTF-8; the unassigned byte 0x98 becomes '?'.
std::string Cp1251ToUtf8(std::string_view cp1251);
// UTF-8 -> Windows-1251; characters without a Windows-1251 byte and malformed input become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// A text of a plug-in's descriptor, which may be null (then empty), in UTF-8.
std::string DescriptorTextToUtf8(const char* cp1251);

// The text of a settings, job or language file as the system keeps it. A file written by hand in
// a Linux editor is UTF-8: text that is valid UTF-8 and holds at least one multi-byte sequence is
// converted (a leading byte-order mark dropped); anything else is Windows-1251 already, as the
// program writes it.
std::string FileTextToCp1251(std::string text);
// The file text for Windows-1251 text, so that FileTextToCp1251 reads it back unchanged: the
// bytes as they are, unless they happen to form multi-byte UTF-8 (say "\xD0\xB0", "Р°"); then
// UTF-8 with a byte-order mark (0x98, which has no character, becomes '?').
std::string Cp1251ToFileText(std::string cp1251);

namespace detail {
template <size_t N> struct Utf8Literal {
    char text[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (size_t i = 0; i < N; ++i) text[i] = s[i];
    }
};

template <Utf8Literal S> struct Cp1251Literal {
    static constexpr auto Convert() {
        std::array<char, sizeof(S.text)> out{};
        std::string_view in(S.text, sizeof(S.text) - 1);
        size_t pos = 0, n = 0;
        while (pos < in.size()) out[n++] = UnicodeToCp1251(DecodeUtf8(in, pos));
        out[n] = '\0';
        return out;
    }
    static constexpr auto value = Convert();
};
} // namespace detail

// "Дата/время"_cp1251: a string literal written in UTF-8, stored as Windows-1251 bytes.
template <detail::Utf8Literal S> consteval const char* operator""_cp1251() {
    return detail::Cp1251Literal<S>::value.data();
}

} // namespace orv
