#include "drivers/base/CharPanelLibrary.h"

#include "base/FixedText.h"
#include "base/PluginDialogLibrary.h"
#include "base/UserFolders.h"

#include <algorithm>
#include <cstring>

namespace orv {

TCharPanelLibrary::TCharPanelLibrary(std::string section, std::vector<TCharPanelKey> keys)
    : section_(std::move(section)), keys_(std::move(keys)) {}

TCharPanelLibrary::~TCharPanelLibrary() = default;

std::string TCharPanelLibrary::Value(const TIniDocument& ini, const char* key) const {
    for (const TCharPanelKey& k : keys_)
        if (std::strcmp(k.key, key) == 0) return ini.ReadString(section_, key, k.fallback);
    return ini.ReadString(section_, key, "");
}

int32_t TCharPanelLibrary::Init(THardwareDescriptor& descriptor) {
    try {
        Release(descriptor);
        control_ = CreateControl();
        Apply(*control_, TIniFile(SettingsPath()).Read());
        descriptor.Control = control_.get();
        control_->SetActive(true);
        return 0;
    } catch (...) {
        return 1;
    }
}

int32_t TCharPanelLibrary::Configure() {
    auto run = reinterpret_cast<TRunCharPanelDialogFunc>(
        DialogEntryPoint(section_, kRunCharPanelDialogExport));
    if (!run) return 0;
    try {
        if (control_) control_->SetActive(false);
        const TIniDocument saved = TIniFile(SettingsPath()).Read();
        TCharPanelDialogData data{};
        data.Caption = section_.c_str();
        data.Count = std::min(keys_.size(), kCharPanelDialogFields);
        for (size_t i = 0; i < data.Count; ++i) {
            TCharPanelDialogField& field = data.Fields[i];
            field.Label = keys_[i].label;
            field.Choices = keys_[i].choices;
            CopyText(field.Value, Value(saved, keys_[i].key));
        }
        if (run(&data) != 0) {
            TIniFile(SettingsPath()).Update([&](TIniDocument& ini) {
                for (size_t i = 0; i < data.Count; ++i)
                    ini.WriteString(section_, keys_[i].key, data.Fields[i].Value);
            });
            if (control_) Apply(*control_, TIniFile(SettingsPath()).Read());
        }
    } catch (...) {
        // The dialog and the driver never let an error reach the host.
    }
    if (control_) control_->SetActive(true);
    return 0;
}

int32_t TCharPanelLibrary::CheckSettings(TSettingsProblemFunc report, void* context) const {
    const TIniDocument ini = TIniFile(SettingsPath()).Read();
    int32_t count = 0;
    for (const TCharPanelKey& k : keys_) {
        const auto value = ini.Find(section_, k.key);
        if (!value || !k.takes || k.takes(*value)) continue;
        const std::string problem = "is not taken; the driver uses " + k.fallback;
        report(context, k.key, value->c_str(), problem.c_str());
        ++count;
    }
    return count;
}

void TCharPanelLibrary::Release(THardwareDescriptor& descriptor) {
    if (control_) control_->SetActive(false);
    control_.reset();
    descriptor.Control = nullptr;
}

void TCharPanelLibrary::BeginFrame() const {
    if (control_) control_->BeginFrame();
}

void TCharPanelLibrary::EndFrame() const {
    if (control_) control_->EndFrame();
}

} // namespace orv
