#include "drivers/i2cpanel/I2cPanelSettings.h"

#include "drivers/base/PortText.h"
#include "drivers/base/TextPanelGeometry.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <stdexcept>

namespace orv {

std::optional<uint8_t> ParseI2cAddress(std::string_view text) {
    try {
        const uint32_t address = ParsePortText(text);
        if (address >= 0x03 && address <= 0x77) return static_cast<uint8_t>(address);
    } catch (const std::invalid_argument&) {
    }
    return std::nullopt;
}

TI2cPanelLibrary::TI2cPanelLibrary()
    : TCharPanelLibrary(
          kI2cPanelSection,
          {{"Bus", "Шина I2C:"_cp1251, "/dev/i2c-1", "/dev/i2c-0\n/dev/i2c-1",
            [](std::string_view v) { return Trim(v).starts_with('/'); }},
           {"Address", "Адрес:"_cp1251, "0x27", "0x27\n0x3F",
            [](std::string_view v) { return ParseI2cAddress(v).has_value(); }},
           {"Wiring", "Разводка выводов:"_cp1251, "common", "common\nalternate",
            [](std::string_view v) { return Pcf8574WiringNamed(Trim(v)).has_value(); }},
           {"Lines count", "Строк:"_cp1251, "2", "1\n2\n4", TakesRowCount},
           {"Cols count", "Символов в строке:"_cp1251, "16", "16\n20\n24\n32\n40", TakesColCount},
           {"Backlight", "Подсветка:"_cp1251, "1", "0\n1", TakesSwitch}}) {}

std::unique_ptr<TLCDCharPanelControl> TI2cPanelLibrary::CreateControl() const {
    return std::make_unique<TLCDControl_I2C>();
}

void TI2cPanelLibrary::Apply(TLCDCharPanelControl& control, const TIniDocument& ini) const {
    auto& i2c = static_cast<TLCDControl_I2C&>(control);
    const std::string bus(Trim(Value(ini, "Bus")));
    if (!bus.empty()) i2c.SetBus(bus);
    if (const auto address = ParseI2cAddress(Value(ini, "Address"))) i2c.SetAddress(*address);
    if (const auto wiring = Pcf8574WiringNamed(Trim(Value(ini, "Wiring")))) i2c.SetWiring(*wiring);
    if (const auto rows = ParseInt32(Value(ini, "Lines count"))) i2c.SetRowCount(*rows);
    if (const auto cols = ParseInt32(Value(ini, "Cols count"))) i2c.SetColCount(*cols);
    if (const auto on = ParseInt32(Value(ini, "Backlight"))) i2c.SetBackLight(*on != 0);
}

} // namespace orv
