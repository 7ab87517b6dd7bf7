#include "drivers/serialpanel/SerialPanelSettings.h"

#include "drivers/base/TextPanelGeometry.h"
#include "drivers/serialpanel/LCDControl_Serial.h"
#include "drivers/serialpanel/SerialLink.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

namespace orv {

namespace {

std::optional<uint8_t> ParseLevel(std::string_view text) {
    const std::optional<int32_t> value = ParseInt32(text);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    return static_cast<uint8_t>(*value);
}

} // namespace

TSerialPanelLibrary::TSerialPanelLibrary()
    : TCharPanelLibrary(
          kSerialPanelSection,
          {{"Device", "Устройство:"_cp1251, "/dev/ttyUSB0",
            "/dev/ttyUSB0\n/dev/ttyACM0\n/dev/ttyS0",
            [](std::string_view v) { return Trim(v).starts_with('/'); }},
           {"Baud", "Скорость, бод:"_cp1251, "9600",
            "1200\n2400\n4800\n9600\n19200\n38400\n57600\n115200",
            [](std::string_view v) {
                const auto baud = ParseInt32(v);
                return baud && SerialSpeed(*baud).has_value();
            }},
           {"Lines count", "Строк:"_cp1251, "2", "1\n2\n4", TakesRowCount},
           {"Cols count", "Символов в строке:"_cp1251, "16", "16\n20\n24\n32\n40", TakesColCount},
           {"Brightness", "Яркость (0-255):"_cp1251, "255", "0\n64\n128\n192\n255",
            [](std::string_view v) { return ParseLevel(v).has_value(); }},
           {"Contrast", "Контраст (0-255):"_cp1251, "200", "180\n200\n220",
            [](std::string_view v) { return ParseLevel(v).has_value(); }},
           {"Keys", "Коды кнопок (назад, вперёд, в начало):"_cp1251, "ABC", "",
            [](std::string_view v) { return !v.empty() && v.size() <= 3; }}}) {}

std::unique_ptr<TLCDCharPanelControl> TSerialPanelLibrary::CreateControl() const {
    return std::make_unique<TLCDControl_Serial>();
}

void TSerialPanelLibrary::Apply(TLCDCharPanelControl& control, const TIniDocument& ini) const {
    auto& serial = static_cast<TLCDControl_Serial&>(control);
    const std::string device(Trim(Value(ini, "Device")));
    if (!device.empty()) serial.SetDevice(device);
    if (const auto baud = ParseInt32(Value(ini, "Baud"))) serial.SetBaud(*baud);
    if (const auto rows = ParseInt32(Value(ini, "Lines count"))) serial.SetRowCount(*rows);
    if (const auto cols = ParseInt32(Value(ini, "Cols count"))) serial.SetColCount(*cols);
    if (const auto level = ParseLevel(Value(ini, "Brightness"))) serial.SetBrightness(*level);
    if (const auto level = ParseLevel(Value(ini, "Contrast"))) serial.SetContrast(*level);
    const std::string keys = Value(ini, "Keys");
    if (!keys.empty()) serial.SetKeys(keys.substr(0, 3));
}

} // namespace orv
