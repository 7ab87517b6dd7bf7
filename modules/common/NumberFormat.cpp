#include "modules/common/NumberFormat.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <charconv>

namespace orv {

std::string IntToStr(int64_t value) { return PadInt(value, 1); }

std::string PadInt(int64_t value, int minDigits) {
    char digits[24];
    const uint64_t magnitude =
        value < 0 ? ~static_cast<uint64_t>(value) + 1 : static_cast<uint64_t>(value);
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const auto count = static_cast<int>(end - digits);
    std::string out;
    out.reserve(static_cast<size_t>(std::max(count, minDigits)) + 1);
    if (value < 0) out += '-';
    if (count < minDigits) out.append(static_cast<size_t>(minDigits - count), '0');
    out.append(digits, end);
    return out;
}

uint8_t ParseSelector(const char* param, int32_t fallback) {
    const int32_t number = param ? ParseInt32(param).value_or(fallback) : 0;
    return static_cast<uint8_t>(number & 0xFF);
}

} // namespace orv
