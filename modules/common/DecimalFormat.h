// Decimal fractions of readings kept in thousandths (hwmon's millidegrees and millivolts, bit/s
// shown as kbit/s), computed exactly in integers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// milli / 1000 with 0 to 3 decimals, rounded half away from zero: the patterns "0" and "0.00"
// (1749 -> "1.75" with 2 decimals, 41600 -> "42" with none). A value that rounds to zero has
// no minus sign.
std::string FormatMilli(int64_t milli, int decimals, std::string_view decimalSeparator);

// milli / 1000 in its shortest form: 115200 -> "115.2", 56000 -> "56", 1234567 -> "1234.567".
std::string FormatMilliShortest(int64_t milli, std::string_view decimalSeparator);

} // namespace orv
