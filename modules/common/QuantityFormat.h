// The quantity formatter: a count as a number with a binary or decimal prefix and a unit.
#pragma once

#include "modules/common/UnitWords.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

enum class TQuantityMode : uint8_t {
    Byte,     // binary steps, unit Byte; a negative value gives "0"
    Rate,     // decimal steps, unit Bit + PerSec; up to 1000 as a whole number
    Hertz,    // decimal steps, unit Hertz; below 1000 as a whole number
    ByteRate, // the steps of Rate, unit Byte + PerSec: bytes per second
};

// The number, one blank, then the prefix and unit words run together: "1024 b", "1.00 kb",
// "44.10 kHz". Scaled numbers have two decimals, rounded half up, with decimalSeparator
// (UserDecimalSeparator(), read by the module in LoadSettings). Each range includes its upper
// bound: 1024 bytes print as "1024 b", 1048576 as "1024.00 kb".
std::string FormatQuantity(int64_t value, TQuantityMode mode, const TUnitWords& words,
                           std::string_view decimalSeparator);

// An unsigned byte count in byte mode (counts beyond 2^63 - 1 print as that).
std::string FormatBytes(uint64_t bytes, const TUnitWords& words, std::string_view decimalSeparator);

} // namespace orv
