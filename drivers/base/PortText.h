// The text form of a parallel port: a base address, "$0378" when written, decimal or
// "$"-prefixed hexadecimal when read; or a ppdev device, "/dev/parport0".
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

// A port as the settings name it: a base address, or a device file such as "/dev/parport0"
// (text that starts with '/', blanks around it allowed).
struct TPortName {
    uint32_t Base = 0;
    std::string Device; // empty: the port at Base
    bool operator==(const TPortName&) const = default;
};
// Throws std::invalid_argument as ParsePortText for text that is neither.
TPortName ParsePortName(std::string_view text);
// The device, else FormatPortText of the address.
std::string FormatPortName(const TPortName& port);

} // namespace orv
