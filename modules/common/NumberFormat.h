// Decimal number texts shared by the data modules: the "%d" and "%.2d" patterns and the format
// selector read from a tag parameter.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// "%d".
std::string IntToStr(int64_t value);

// "%.Nd": at least minDigits digits, padded with zeros after the sign ("-05").
std::string PadInt(int64_t value, int minDigits);

// "%.2d".
inline std::string Pad2(int64_t value) { return PadInt(value, 2); }

// A tag parameter read as a decimal integer (blanks around it allowed), or fallback when it is
// not one; the selector is the low 8 bits of that number, so "257" selects 1 and "-1" 255.
// A null parameter counts as "0".
uint8_t ParseSelector(const char* param, int32_t fallback);

} // namespace orv
