#include "base/Cp1251.h"

namespace orv {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char c : cp1251) {
        const uint32_t cp = Cp1251ToUnicode(static_cast<uint8_t>(c));
        if (cp == 0 && c != '\0')
            out += '?';
        else
            AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) out += UnicodeToCp1251(DecodeUtf8(utf8, pos));
    return out;
}

namespace {

// Valid UTF-8 throughout, with at least one multi-byte sequence.
bool IsMultiByteUtf8(std::string_view text) {
    bool multiByte = false;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<uint8_t>(text[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        const size_t start = pos;
        if (DecodeUtf8(text, pos) == 0xFFFD && text.substr(start, 3) != "\xEF\xBF\xBD")
            return false;
        multiByte = true;
    }
    return multiByte;
}

} // namespace

std::string FileTextToCp1251(std::string text) {
    if (!IsMultiByteUtf8(text)) return text;
    std::string_view body = text;
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    return Utf8ToCp1251(body);
}

std::string Cp1251ToFileText(std::string cp1251) {
    if (!IsMultiByteUtf8(cp1251)) return cp1251;
    return "\xEF\xBB\xBF" + Cp1251ToUtf8(cp1251);
}

std::string DescriptorTextToUtf8(const char* cp1251) {
    return Cp1251ToUtf8(cp1251 ? std::string_view(cp1251) : std::string_view());
}

} // namespace orv
