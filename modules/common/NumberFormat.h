// Decimal number texts shared by the data modules: the "%d", "%.2d" and "0.00" patterns and the
// format selector read from a tag parameter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// "%d".
std::string IntToStr(int64_t value);

// "%.Nd": at least minDigits digits, padded with zeros after the sign ("-05").
std::string PadInt(int64_t value, int minDigits);

// "%.2d".
inline std::string Pad2(int64_t value) { return PadInt(value, 2); }

// A count of hundredths with the pattern "0.00": 1250 gives "12.50", -5 "-0.05".
std::string FormatHundredths(int64_t hundredths, std::string_view decimalSeparator);

// value with the pattern "0.00", rounded half away from zero: 12.345 gives "12.35" (values
// beyond the 64-bit range of hundredths, NaN included, give "0.00").
std::string FormatFixed2(double value, std::string_view decimalSeparator);

// A tag parameter read as a decimal integer (blanks around it allowed), or fallback when it is
// not one; the selector is the low 8 bits of that number, so "257" selects 1 and "-1" 255.
// A null parameter counts as "0".
uint8_t ParseSelector(const char* param, int32_t fallback);

} // namespace orv
