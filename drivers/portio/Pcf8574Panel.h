// An emulated HD44780 panel behind a PCF8574 I2C backpack: every byte written to the expander
// sets its eight lines at once; a falling edge of E latches RS and D7..D4 into the controller,
// which is wired for 4 bits. What a real panel would get wrong is refused and shown as a fault
// line of the state file: RS changed while E is high, the data lines changed in the byte that
// lets E fall, a read cycle (R/W high) latched, besides the controller's own 4-bit faults. The
// state file has the HD44780 form (PortEmulator.h), then "backlight on" or "backlight off".
#pragma once

#include "drivers/portio/Hd44780Panel.h"
#include "drivers/portio/Pcf8574Wiring.h"

namespace orv {

class TPcf8574Panel : public THd44780Panel {
public:
    // Throws std::invalid_argument for a size that ValidSize refuses.
    TPcf8574Panel(int rows, int cols, const TPcf8574Wiring& wiring = kPcf8574Common);

    // One byte as the expander puts it on its lines. The first byte only sets the lines.
    void WriteExpander(uint8_t bits);

    bool BackLight() const { return started_ && (lines_ & wiring_.backLight) != 0; }

    uint64_t Revision() const override { return THd44780Panel::Revision() + backLightChanges_; }
    std::string StateText() const override;

private:
    TPcf8574Wiring wiring_;
    bool started_ = false;
    uint8_t lines_ = 0;
    uint64_t backLightChanges_ = 0;
};

} // namespace orv
