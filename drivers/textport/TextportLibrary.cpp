// textport.so: the display driver for HD44780-compatible text panels on the parallel port.
// Settings section "textport.so": "Lines count", "Cols count", "Port", "Timing".
#include "drivers/base/PortDriverLibrary.h"
#include "drivers/textport/LCDControl_LPT.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

namespace orv {
namespace {

class TTextportLibrary final : public TPortDriverLibrary {
public:
    TTextportLibrary()
        : TPortDriverLibrary("textport.so",
                             {.Port = "$378", .Rows = 2, .Cols = 16, .Timing = 10000},
                             kRunTextportDialogExport) {}

protected:
    std::unique_ptr<TLCDPortControl> CreateControl() const override {
        return std::make_unique<TLCDControl_LPT>();
    }
    TPortDriverSettings FromDialog(const TPortDialogValues& v) const override {
        return {.Port = v.Port,
                .Rows = ParseInt32(v.Rows).value_or(2),
                .Cols = ParseInt32(v.Cols).value_or(16),
                .Timing = v.Timing};
    }
    std::unique_ptr<TLCDPortControl> CreateTryControl() const override {
        auto control = std::make_unique<TLCDControl_LPT>();
        control->SetPort("$0378");
        return control;
    }
    void ApplyTryValues(TLCDPortControl& control, const TPortDialogValues& v) const override {
        control.SetPort(v.Port);
        control.SetColCount(DialogInteger(v.Cols));
        control.SetRowCount(DialogInteger(v.Rows));
        control.SetWriteDelay(v.Timing);
    }
};

} // namespace
} // namespace orv

ORVANTA3_EXPORT THardwareDescriptor* getHardware() {
    using namespace orv;
    return TDriverExports<TTextportLibrary>::Describe(
        "Parallel 8-bit HD44780-compatible driver",
        "Компонент управления HD44780-совместимым LCD-экраном, 8-и битное подключение к "
        "параллельному порту\r\rOrvanta3 developers, port I/O through libdlportio.so"_cp1251);
}

ORVANTA3_EXPORT int32_t checkSettings(TSettingsProblemFunc report, void* context) {
    return orv::TDriverExports<orv::TTextportLibrary>::CheckSettings(report, context);
}

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    return orv::TDriverExports<orv::TTextportLibrary>::SettingKeys();
}

ORVANTA3_EXPORT void beginFrame() { orv::TDriverExports<orv::TTextportLibrary>::BeginFrame(); }

ORVANTA3_EXPORT void endFrame() { orv::TDriverExports<orv::TTextportLibrary>::EndFrame(); }
