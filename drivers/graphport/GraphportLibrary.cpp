// graphport.so: the display driver for KS0108 128 x 64 graphic panels on the parallel port.
// Settings section "graphport.so": "Lines count", "Cols count" (no effect), "Port", "Timing".
#include "drivers/base/PortDriverLibrary.h"
#include "drivers/graphport/LCDControl_KS0108_LPT.h"
#include "base/Cp1251.h"

namespace orv {
namespace {

class TGraphportLibrary final : public TPortDriverLibrary {
public:
    TGraphportLibrary()
        : TPortDriverLibrary("graphport.so",
                             {.Port = "$378", .Rows = 8, .Cols = 21, .Timing = 10000},
                             kRunGraphportDialogExport) {}

protected:
    std::unique_ptr<TLCDPortControl> CreateControl() const override {
        return std::make_unique<TLCDControl_KS0108_LPT>();
    }
    bool SizeFromSettings() const override { return false; }
    TPortDriverSettings FromDialog(const TPortDialogValues& v) const override {
        // The dialog has no size; the saved counts have no effect on the panel.
        return {.Port = v.Port, .Rows = 8, .Cols = 16, .Timing = v.Timing};
    }
    std::unique_ptr<TLCDPortControl> CreateTryControl() const override {
        auto control = std::make_unique<TLCDControl_KS0108_LPT>();
        control->SetPort("$0378");
        control->SetWriteDelay(10000);
        return control;
    }
    void ApplyTryValues(TLCDPortControl& control, const TPortDialogValues& v) const override {
        control.SetPort(v.Port);
        control.SetWriteDelay(v.Timing);
    }
};

} // namespace
} // namespace orv

ORVANTA3_EXPORT THardwareDescriptor* getHardware() {
    using namespace orv;
    return TDriverExports<TGraphportLibrary>::Describe(
        "Parallel 8-bit KS0108-compatible driver",
        "Компонент управления KS0108-совместимым графическим LCD-экраном, подключение к "
        "параллельному порту\r\rOrvanta3 developers, port I/O through libdlportio.so"_cp1251);
}

ORVANTA3_EXPORT int32_t checkSettings(TSettingsProblemFunc report, void* context) {
    return orv::TDriverExports<orv::TGraphportLibrary>::CheckSettings(report, context);
}

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    return orv::TDriverExports<orv::TGraphportLibrary>::SettingKeys();
}

ORVANTA3_EXPORT void beginFrame() { orv::TDriverExports<orv::TGraphportLibrary>::BeginFrame(); }

ORVANTA3_EXPORT void endFrame() { orv::TDriverExports<orv::TGraphportLibrary>::EndFrame(); }
