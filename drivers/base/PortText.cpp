#include "drivers/base/PortText.h"

#include "base/TextUtil.h"

#include <cstdio>
#include <stdexcept>

namespace orv {

uint32_t ParsePortText(std::string_view text) {
    const std::string_view original = text;
    text = Trim(text);
    unsigned radix = 10;
    if (text.starts_with('$')) {
        radix = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        radix = 16;
        text.remove_prefix(2);
    }
    uint64_t value = 0;
    bool ok = !text.empty();
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (radix == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f')
            digit = static_cast<unsigned>(LowerAscii(c) - 'a' + 10);
        else {
            ok = false;
            break;
        }
        value = value * radix + digit;
        if (value > UINT32_MAX) {
            ok = false;
            break;
        }
    }
    if (!ok)
        throw std::invalid_argument("'" + std::string(original) + "' is not a valid integer value");
    return static_cast<uint32_t>(value);
}

std::string FormatPortText(uint32_t base) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%04X", base);
    return buf;
}

TPortName ParsePortName(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.starts_with('/')) return {0, std::string(trimmed)};
    return {ParsePortText(text), {}};
}

std::string FormatPortName(const TPortName& port) {
    return port.Device.empty() ? FormatPortText(port.Base) : port.Device;
}

} // namespace orv
