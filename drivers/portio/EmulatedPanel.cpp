#include "drivers/portio/EmulatedPanel.h"

namespace orv {

std::string EscapedCode(uint8_t code) {
    std::string text;
    AppendEscapedCode(text, code);
    return text;
}

void AppendEscapedCode(std::string& text, uint8_t code) {
    text.append("\\x");
    AppendHexByte(text, code);
}

void AppendHexByte(std::string& text, uint8_t value) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const char digits[2] = {kHex[value >> 4], kHex[value & 15]};
    text.append(digits, 2);
}

void TEmulatedPanel::Write(unsigned reg, uint8_t value) {
    if (reg == kDataRegister) {
        data_ = value;
    } else if (reg == kControlRegister) {
        const uint8_t before = control_;
        control_ = value;
        ControlChanged(before, value);
    }
}

uint8_t TEmulatedPanel::Read(unsigned reg) const {
    switch (reg) {
    case kDataRegister: return data_;
    case kStatusRegister: return (heldKeys_ & data_) != 0 ? kKeypadStatusBit : 0;
    case kControlRegister: return control_;
    default: return 0;
    }
}

} // namespace orv
