// The settings section "serialpanel.so": "Device" (/dev/ttyUSB0), "Baud" (9600), "Lines count"
// (2), "Cols count" (16), "Brightness" (255), "Contrast" (200), "Keys" (ABC); "Active" belongs
// to the module host.
#pragma once

#include "drivers/base/CharPanelLibrary.h"

namespace orv {

inline constexpr const char* kSerialPanelSection = "serialpanel.so";

class TSerialPanelLibrary final : public TCharPanelLibrary {
public:
    TSerialPanelLibrary();

protected:
    std::unique_ptr<TLCDCharPanelControl> CreateControl() const override;
    // Values that do not parse leave the driver's defaults.
    void Apply(TLCDCharPanelControl& control, const TIniDocument& ini) const override;
};

} // namespace orv
