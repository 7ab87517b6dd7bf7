#include "modules/common/QuantityFormat.h"

#include "modules/common/NumberFormat.h"

#include <algorithm>

namespace orv {

namespace {

// value / divisor with two decimals, rounded half up, for value > 0.
std::string Scaled(int64_t value, int64_t divisor, std::string_view decimalSeparator) {
    const int64_t remainder = (value % divisor * 100 + divisor / 2) / divisor;
    const int64_t hundredths = value / divisor * 100 + remainder;
    return IntToStr(hundredths / 100) + std::string(decimalSeparator) + Pad2(hundredths % 100);
}

struct TStep {
    int64_t UpTo; // last value printed with this step; the last step takes every value
    int64_t Divisor;
    TUnitWord Prefix;
};

std::string Format(int64_t value, int64_t wholeUpTo, const TStep (&steps)[3],
                   const std::string& unit, const TUnitWords& words, std::string_view separator) {
    if (value <= wholeUpTo) return IntToStr(value) + " " + unit;
    for (const TStep& step : steps)
        if (value <= step.UpTo)
            return Scaled(value, step.Divisor, separator) + " " + words[step.Prefix] + unit;
    return {};
}

} // namespace

std::string FormatQuantity(int64_t value, TQuantityMode mode, const TUnitWords& words,
                           std::string_view decimalSeparator) {
    constexpr int64_t kKi = 1024, kMi = kKi * 1024, kGi = kMi * 1024;
    switch (mode) {
    case TQuantityMode::Byte: {
        if (value < 0) return "0";
        constexpr TStep steps[3] = {{kMi, kKi, TUnitWord::Kilo},
                                    {kGi, kMi, TUnitWord::Mega},
                                    {INT64_MAX, kGi, TUnitWord::Giga}};
        return Format(value, kKi, steps, words[TUnitWord::Byte], words, decimalSeparator);
    }
    case TQuantityMode::Rate:
    case TQuantityMode::ByteRate: {
        constexpr TStep steps[3] = {{1000000, 1000, TUnitWord::Kilo},
                                    {1000000000, 1000000, TUnitWord::Mega},
                                    {INT64_MAX, 1000000000, TUnitWord::Giga}};
        const TUnitWord unit = mode == TQuantityMode::Rate ? TUnitWord::Bit : TUnitWord::Byte;
        return Format(value, 1000, steps, words[unit] + words[TUnitWord::PerSec], words,
                      decimalSeparator);
    }
    case TQuantityMode::Hertz: {
        constexpr TStep steps[3] = {{999999, 1000, TUnitWord::Kilo},
                                    {999999999, 1000000, TUnitWord::Mega},
                                    {INT64_MAX, 1000000000, TUnitWord::Giga}};
        return Format(value, 999, steps, words[TUnitWord::Hertz], words, decimalSeparator);
    }
    }
    return {};
}

std::string FormatBytes(uint64_t bytes, const TUnitWords& words,
                        std::string_view decimalSeparator) {
    return FormatQuantity(static_cast<int64_t>(std::min<uint64_t>(bytes, INT64_MAX)),
                          TQuantityMode::Byte, words, decimalSeparator);
}

} // namespace orv
