// The text form of a parallel-port base address: "$0378" when written, decimal or "$"-prefixed
// hexadecimal when read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// Decimal ("888") or hexadecimal with "$" or "0x" ("$378"), blanks around it allowed. Throws
// std::invalid_argument when the text is not such a number or does not fit 32 bits unsigned.
uint32_t ParsePortText(std::string_view text);

// "$" and at least four upper-case hexadecimal digits: 0x378 -> "$0378".
std::string FormatPortText(uint32_t base);

} // namespace orv
