// i2cpanel.so: the display driver for HD44780 text panels behind a PCF8574 I2C backpack.
#include "drivers/base/DriverExports.h"
#include "drivers/i2cpanel/I2cPanelSettings.h"
#include "base/Cp1251.h"

ORVANTA3_EXPORT THardwareDescriptor* getHardware() {
    using namespace orv;
    return TDriverExports<TI2cPanelLibrary>::Describe(
        "I2C HD44780-compatible driver (PCF8574 backpack)",
        "Компонент управления HD44780-совместимым LCD-экраном через I2C-переходник на PCF8574, "
        "4-х битное подключение\r\rOrvanta3 developers, Linux I2C device interface"_cp1251);
}

ORVANTA3_EXPORT void beginFrame() { orv::TDriverExports<orv::TI2cPanelLibrary>::BeginFrame(); }

ORVANTA3_EXPORT void endFrame() { orv::TDriverExports<orv::TI2cPanelLibrary>::EndFrame(); }

ORVANTA3_EXPORT int32_t checkSettings(TSettingsProblemFunc report, void* context) {
    return orv::TDriverExports<orv::TI2cPanelLibrary>::CheckSettings(report, context);
}
