#include "drivers/portio/Pcf8574Panel.h"

namespace orv {

TPcf8574Panel::TPcf8574Panel(int rows, int cols, const TPcf8574Wiring& wiring)
    : THd44780Panel(rows, cols), wiring_(wiring) {
    SetFourBitWiring();
}

void TPcf8574Panel::WriteExpander(uint8_t bits) {
    const uint8_t before = lines_;
    lines_ = bits;
    if (!started_) {
        started_ = true;
        ++backLightChanges_;
        return;
    }
    if ((before ^ bits) & wiring_.backLight) ++backLightChanges_;
    const bool eBefore = (before & wiring_.e) != 0, eAfter = (bits & wiring_.e) != 0;
    const uint8_t dataLines = wiring_.DataBits(0x0F);
    if (eBefore && eAfter && ((before ^ bits) & wiring_.rs)) {
        Fault("RS changed while E was high");
    } else if (eBefore && !eAfter) {
        if ((before ^ bits) & (dataLines | wiring_.rs))
            Fault("RS or data lines changed in the write that let E fall");
        else if (bits & wiring_.rw)
            Fault("R/W high: a read cycle took the bus");
        else
            Latch((bits & wiring_.rs) != 0, static_cast<uint8_t>(wiring_.Nibble(bits) << 4));
    }
}

std::string TPcf8574Panel::StateText() const {
    return THd44780Panel::StateText() + (BackLight() ? "backlight on\n" : "backlight off\n");
}

} // namespace orv
