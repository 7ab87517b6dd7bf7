#include "modules/tagscan/Id3Text.h"

#include "base/Cp1251.h"

namespace orv {

namespace {

std::string Utf16ToCp1251(std::string_view bytes, bool bigEndian) {
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<uint8_t>(bytes[0]), b1 = static_cast<uint8_t>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) bigEndian = false;
        if (b0 == 0xFE && b1 == 0xFF) bigEndian = true;
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) bytes.remove_prefix(2);
    }
    std::string out;
    auto unit = [&](size_t i) {
        const auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
        return static_cast<uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        out += (cp >= 0xD800 && cp <= 0xDFFF) ? '?' : UnicodeToCp1251(cp);
    }
    return out;
}

constexpr bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

} // namespace

size_t TerminatorSize(uint8_t encoding) {
    return encoding == ieUtf16 || encoding == ieUtf16Be ? 2 : 1;
}

size_t TextEnd(uint8_t encoding, std::string_view bytes) {
    if (TerminatorSize(encoding) == 1) {
        const size_t zero = bytes.find('\0');
        return zero == std::string_view::npos ? bytes.size() : zero;
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') return i;
    return bytes.size();
}

std::string DecodeId3Text(uint8_t encoding, std::string_view bytes) {
    bytes = bytes.substr(0, TextEnd(encoding, bytes));
    switch (encoding) {
    case ieUtf16: return Utf16ToCp1251(bytes, false);
    case ieUtf16Be: return Utf16ToCp1251(bytes, true);
    case ieUtf8:
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        return Utf8ToCp1251(bytes);
    default: {
        std::string out;
        out.reserve(bytes.size());
        for (char c : bytes) out += UnicodeToCp1251(static_cast<uint8_t>(c));
        return out;
    }
    }
}

std::string Id3v1Field(std::string_view field) {
    field = field.substr(0, field.find('\0'));
    while (!field.empty() && IsBlankOrControl(field.front())) field.remove_prefix(1);
    while (!field.empty() && IsBlankOrControl(field.back())) field.remove_suffix(1);
    return std::string(field);
}

} // namespace orv
