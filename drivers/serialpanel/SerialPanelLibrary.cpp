// serialpanel.so: the display driver for character displays on a serial or USB-serial line
// that take the 0xFE command set.
#include "drivers/base/DriverExports.h"
#include "drivers/serialpanel/SerialPanelSettings.h"
#include "base/Cp1251.h"

ORVANTA3_EXPORT THardwareDescriptor* getHardware() {
    using namespace orv;
    return TDriverExports<TSerialPanelLibrary>::Describe(
        "Serial character display driver (0xFE command set)",
        "Компонент управления символьным LCD-экраном на последовательном или USB-порту, "
        "команды с префиксом 0xFE\r\rOrvanta3 developers, termios"_cp1251);
}

ORVANTA3_EXPORT void beginFrame() { orv::TDriverExports<orv::TSerialPanelLibrary>::BeginFrame(); }

ORVANTA3_EXPORT void endFrame() { orv::TDriverExports<orv::TSerialPanelLibrary>::EndFrame(); }

ORVANTA3_EXPORT int32_t checkSettings(TSettingsProblemFunc report, void* context) {
    return orv::TDriverExports<orv::TSerialPanelLibrary>::CheckSettings(report, context);
}
