#include "modules/common/DecimalFormat.h"

#include "modules/common/NumberFormat.h"

#include <algorithm>

namespace orv {

namespace {

constexpr int64_t kPowers[] = {1, 10, 100, 1000};

uint64_t Magnitude(int64_t value) {
    return value < 0 ? ~static_cast<uint64_t>(value) + 1 : static_cast<uint64_t>(value);
}

} // namespace

std::string FormatMilli(int64_t milli, int decimals, std::string_view decimalSeparator) {
    decimals = std::clamp(decimals, 0, 3);
    const auto step = static_cast<uint64_t>(kPowers[3 - decimals]);
    const uint64_t units = (Magnitude(milli) + step / 2) / step; // in 10^-decimals
    const auto scale = static_cast<uint64_t>(kPowers[decimals]);
    std::string text = milli < 0 && units != 0 ? "-" : "";
    text += std::to_string(units / scale);
    if (decimals > 0)
        text +=
            std::string(decimalSeparator) + PadInt(static_cast<int64_t>(units % scale), decimals);
    return text;
}

std::string FormatPercent(uint64_t part, uint64_t whole, std::string_view decimalSeparator) {
    if (whole == 0) return FormatMilli(0, 2, decimalSeparator);
    // Thousandths of a percent, cut: rounding those to hundredths rounds the exact share.
    const unsigned __int128 milli = static_cast<unsigned __int128>(part) * 100000 / whole;
    const auto capped = static_cast<int64_t>(std::min<unsigned __int128>(milli, INT64_MAX));
    return FormatMilli(capped, 2, decimalSeparator);
}

std::string FormatMilliShortest(int64_t milli, std::string_view decimalSeparator) {
    std::string text = FormatMilli(milli, 3, decimalSeparator);
    if (milli % 1000 == 0) return FormatMilli(milli, 0, decimalSeparator);
    while (text.back() == '0') text.pop_back();
    return text;
}

} // namespace orv
