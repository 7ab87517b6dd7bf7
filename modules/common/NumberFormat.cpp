#include "modules/common/NumberFormat.h"

#include "host/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>

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

std::string FormatHundredths(int64_t hundredths, std::string_view decimalSeparator) {
    const uint64_t magnitude = hundredths < 0 ? ~static_cast<uint64_t>(hundredths) + 1
                                              : static_cast<uint64_t>(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    text += IntToStr(static_cast<int64_t>(magnitude / 100));
    text += decimalSeparator;
    text += Pad2(static_cast<int64_t>(magnitude % 100));
    return text;
}

std::string FormatFixed2(double value, std::string_view decimalSeparator) {
    const double hundredths = std::round(value * 100);
    // Beyond +-2^62 hundredths (and NaN) the conversion would be undefined.
    if (!(std::fabs(hundredths) < 0x1p62)) return FormatHundredths(0, decimalSeparator);
    return FormatHundredths(static_cast<int64_t>(hundredths), decimalSeparator);
}

uint8_t ParseSelector(const char* param, int32_t fallback) {
    const int32_t number = param ? ParseInt32(param).value_or(fallback) : 0;
    return static_cast<uint8_t>(number & 0xFF);
}

} // namespace orv
