// The settings section "i2cpanel.so": "Bus" (/dev/i2c-1), "Address" (0x27), "Wiring" (common
// or alternate), "Lines count" (2), "Cols count" (16), "Backlight" (1); "Active" belongs to the
// module host.
#pragma once

#include "drivers/base/CharPanelLibrary.h"
#include "drivers/i2cpanel/LCDControl_I2C.h"

#include <optional>
#include <string_view>

namespace orv {

inline constexpr const char* kI2cPanelSection = "i2cpanel.so";

// "0x27", "$27" or decimal "39", a 7-bit device address 0x03..0x77; nullopt otherwise.
std::optional<uint8_t> ParseI2cAddress(std::string_view text);

class TI2cPanelLibrary final : public TCharPanelLibrary {
public:
    TI2cPanelLibrary();

protected:
    std::unique_ptr<TLCDCharPanelControl> CreateControl() const override;
    // Values that do not parse leave the driver's defaults.
    void Apply(TLCDCharPanelControl& control, const TIniDocument& ini) const override;
};

} // namespace orv
