// lcdd.so: the display driver for every display LCDd drives (USB, serial, I2C, ...), through
// LCDd's client protocol on TCP. Settings section "lcdd.so": "Server", "Port".
#include "drivers/base/DriverExports.h"
#include "drivers/lcdd/LCDControl_LCDd.h"
#include "drivers/lcdd/LcddDialogApi.h"
#include "drivers/lcdd/LcddSettings.h"
#include "base/Cp1251.h"
#include "base/FixedText.h"
#include "base/PluginDialogLibrary.h"
#include "base/UserFolders.h"

namespace orv {
namespace {

// btnTry of the dialog: hello to the server of the dialog's values.
int32_t ProbeServer(void*, const TLcddDialogValues* values, char* answer, size_t answerSize) {
    TLcddAddress address;
    address.host = Cp1251ToUtf8(values->Server);
    const std::optional<uint16_t> port = ParseLcddPort(values->Port);
    if (!port) {
        CopyText(answer, answerSize, "'" + std::string(values->Port) + "' is not a TCP port");
        return 1;
    }
    address.port = *port;
    std::string error;
    const std::optional<TLcddSession> session = TLcddSession::Open(address, error);
    if (!session) {
        CopyText(answer, answerSize, Utf8ToCp1251(error));
        return 1;
    }
    CopyText(answer, answerSize,
             std::to_string(session->display.cols) + " x " + std::to_string(session->display.rows));
    return 0;
}

class TLcddLibrary {
public:
    int32_t Init(THardwareDescriptor& descriptor) {
        try {
            Release(descriptor);
            control_ = std::make_unique<TLCDControl_LCDd>();
            descriptor.Control = control_.get();
            control_->SetAddress(ReadLcddAddress(SettingsPath()));
            control_->SetActive(true);
            return 0;
        } catch (...) {
            return 1;
        }
    }

    int32_t Configure() {
        auto run = reinterpret_cast<TRunLcddDialogFunc>(
            DialogEntryPoint(kLcddSection, kRunLcddDialogExport));
        if (!run) return 0;
        try {
            if (control_) control_->SetActive(false);
            const TLcddAddress saved = ReadLcddAddress(SettingsPath());
            TLcddDialogData data{};
            CopyText(data.Values.Server, Utf8ToCp1251(saved.host));
            CopyText(data.Values.Port, std::to_string(saved.port));
            data.Probe = {nullptr, &ProbeServer};
            if (run(&data) != 0) {
                TLcddAddress chosen = saved;
                chosen.host = Cp1251ToUtf8(data.Values.Server);
                if (chosen.host.empty()) chosen.host = TLcddAddress().host;
                chosen.port = ParseLcddPort(data.Values.Port).value_or(saved.port);
                if (control_) control_->SetAddress(chosen);
                WriteLcddAddress(SettingsPath(), chosen);
            }
        } catch (...) {
            // The dialog and the driver never let an error reach the host.
        }
        if (control_) control_->SetActive(true);
        return 0;
    }

    void BeginFrame() {
        if (control_) control_->BeginFrame();
    }
    void EndFrame() {
        if (control_) control_->EndFrame();
    }

    void Release(THardwareDescriptor& descriptor) {
        if (control_) control_->SetActive(false);
        control_.reset();
        descriptor.Control = nullptr;
    }

private:
    std::unique_ptr<TLCDControl_LCDd> control_;
};

} // namespace
} // namespace orv

ORVANTA3_EXPORT THardwareDescriptor* getHardware() {
    using namespace orv;
    return TDriverExports<TLcddLibrary>::Describe(
        "LCDd client driver",
        "Компонент вывода на любой дисплей, которым управляет LCDd (LCDproc): USB, "
        "последовательный порт, I2C\r\rOrvanta3 developers, LCDd's client protocol over TCP"_cp1251);
}

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() { return orv::LcddSettingKeys(); }

ORVANTA3_EXPORT void beginFrame() { orv::TDriverExports<orv::TLcddLibrary>::BeginFrame(); }

ORVANTA3_EXPORT void endFrame() { orv::TDriverExports<orv::TLcddLibrary>::EndFrame(); }
