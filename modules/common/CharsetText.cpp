#include "modules/common/CharsetText.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <cerrno>
#include <iconv.h>

namespace orv {

namespace {

// bytes -> UTF-8; an invalid or incomplete sequence becomes U+FFFD and one byte is skipped.
std::optional<std::string> IconvToUtf8(std::string_view bytes, const std::string& charset) {
    iconv_t cd = ::iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ, EINVAL: skip the offending byte.
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    ::iconv_close(cd);
    return out;
}

} // namespace

std::optional<std::string> CharsetToCp1251(std::string_view bytes, std::string_view charset) {
    std::string name(Trim(charset));
    for (char& c : name) c = LowerAscii(c);
    if (name == "windows-1251" || name == "cp1251" || name == "x-cp1251") return std::string(bytes);
    if (name == "us-ascii" || name == "ascii") name = "utf-8";
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    auto utf8 = IconvToUtf8(bytes, name);
    if (!utf8) return std::nullopt;
    return Utf8ToCp1251(*utf8);
}

bool LooksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t start = pos;
        const bool ascii = static_cast<uint8_t>(bytes[pos]) < 0x80;
        if (DecodeUtf8(bytes, pos) == 0xFFFD &&
            !(pos - start == 3 && bytes.substr(start, 3) == "\xEF\xBF\xBD"))
            return false;
        if (!ascii) multiByte = true;
    }
    return multiByte;
}

} // namespace orv
