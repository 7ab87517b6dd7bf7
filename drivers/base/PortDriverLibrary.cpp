#include "drivers/base/PortDriverLibrary.h"

#include "base/PluginDialogLibrary.h"
#include "drivers/base/PortText.h"
#include "base/FixedText.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"

#include <stdexcept>

namespace orv {

namespace {

constexpr const char* kKeyRows = "Lines count";
constexpr const char* kKeyCols = "Cols count";
constexpr const char* kKeyPort = "Port";
constexpr const char* kKeyTiming = "Timing";

bool IsPortText(std::string_view text) {
    try {
        ParsePortName(text);
        return true;
    } catch (const std::invalid_argument&) {
        return false;
    }
}

} // namespace

int32_t DialogInteger(std::string_view text) {
    if (auto value = ParseInt32(text)) return *value;
    throw std::invalid_argument("'" + std::string(text) + "' is not a valid integer value");
}

// The try mode's driver object, reached through the dialog's callbacks.
struct TPortDriverLibrary::TTryContext {
    const TPortDriverLibrary* library;
    std::unique_ptr<TLCDPortControl> control;

    static int32_t Start(void* context, const TPortDialogValues* values, char* error,
                         size_t errorSize) {
        auto& self = *static_cast<TTryContext*>(context);
        try {
            self.control->SetActive(false);
            self.library->ApplyTryValues(*self.control, *values);
            self.control->SetActive(true);
            return 0;
        } catch (const std::exception& e) {
            self.control->SetActive(false);
            CopyText(error, errorSize, e.what());
            return 1;
        }
    }
    static void WriteText(void* context, const char* text, size_t len) {
        static_cast<TTryContext*>(context)->control->WriteText(1, 1, text, len);
    }
    static void Stop(void* context) {
        static_cast<TTryContext*>(context)->control->SetActive(false);
    }
};

TPortDriverLibrary::TPortDriverLibrary(std::string fileName, TPortDriverSettings defaults,
                                       const char* dialogExport)
    : fileName_(std::move(fileName)), defaults_(std::move(defaults)), dialogExport_(dialogExport) {}

TPortDriverLibrary::~TPortDriverLibrary() = default;

TPortDriverSettings TPortDriverLibrary::ReadSettings() const {
    const TIniDocument ini = TIniFile(SettingsPath()).Read();
    TPortDriverSettings s;
    s.Rows = ini.ReadInteger(fileName_, kKeyRows, defaults_.Rows);
    s.Cols = ini.ReadInteger(fileName_, kKeyCols, defaults_.Cols);
    s.Port = ini.ReadString(fileName_, kKeyPort, defaults_.Port);
    s.Timing = ini.ReadInteger(fileName_, kKeyTiming, defaults_.Timing);
    return s;
}

bool TPortDriverLibrary::WriteSettings(const TPortDriverSettings& s) const {
    return TIniFile(SettingsPath()).Update([&](TIniDocument& ini) {
        ini.WriteInteger(fileName_, kKeyRows, s.Rows);
        ini.WriteInteger(fileName_, kKeyCols, s.Cols);
        if (IsPortText(s.Port)) ini.WriteString(fileName_, kKeyPort, s.Port);
        ini.WriteInteger(fileName_, kKeyTiming, s.Timing);
    });
}

bool TPortDriverLibrary::Apply(TLCDPortControl& control, const TPortDriverSettings& s) {
    bool portOk = true;
    try {
        control.SetPort(s.Port);
    } catch (const std::invalid_argument&) {
        portOk = false;
    }
    control.SetRowCount(s.Rows);
    control.SetColCount(s.Cols);
    control.SetWriteDelay(s.Timing);
    return portOk;
}

int32_t TPortDriverLibrary::CheckSettings(TSettingsProblemFunc report, void* context) const {
    const TIniDocument ini = TIniFile(SettingsPath()).Read();
    const TPortDriverSettings settings = ReadSettings();
    const std::unique_ptr<TLCDPortControl> control = CreateControl();
    const bool portOk = Apply(*control, settings);
    int32_t count = 0;
    // what: the values the key takes; instead: the value the driver uses for this one.
    auto check = [&](const char* key, bool taken, const char* what, const std::string& instead) {
        const auto text = ini.Find(fileName_, key);
        if (!text) return;
        const bool number = key == kKeyPort || ParseInt32(*text).has_value();
        if (number && taken) return;
        const std::string problem =
            (number ? std::string("is not ") + what : std::string("is not a number")) +
            "; the driver uses " + instead;
        report(context, key, text->c_str(), problem.c_str());
        ++count;
    };
    check(kKeyPort, portOk, "a port address ($378, 888 or /dev/parportN)", defaults_.Port);
    if (SizeFromSettings()) {
        check(kKeyRows, control->GetRowCount() == settings.Rows, "a row count of this panel",
              std::to_string(control->GetRowCount()));
        check(kKeyCols, control->GetColCount() == settings.Cols, "a column count of this panel",
              std::to_string(control->GetColCount()));
    }
    check(kKeyTiming, true, "", std::to_string(defaults_.Timing));
    return count;
}

int32_t TPortDriverLibrary::Init(THardwareDescriptor& descriptor) {
    try {
        Release(descriptor);
        const TPortDriverSettings settings = ReadSettings();
        control_ = CreateControl();
        descriptor.Control = control_.get();
        if (!Apply(*control_, settings)) control_->SetPort(defaults_.Port);
        control_->SetActive(true);
        return 0;
    } catch (...) {
        return 1;
    }
}

int32_t TPortDriverLibrary::Configure() {
    auto run = reinterpret_cast<TRunPortDialogFunc>(DialogEntryPoint(fileName_, dialogExport_));
    if (!run) return 0;
    try {
        if (control_) control_->SetActive(false);

        const TPortDriverSettings saved = ReadSettings();
        TPortDialogData data{};
        CopyText(data.Values.Port, saved.Port);
        CopyText(data.Values.Rows, std::to_string(saved.Rows));
        CopyText(data.Values.Cols, std::to_string(saved.Cols));
        data.Values.Timing = saved.Timing;

        TTryContext tryContext{this, CreateTryControl()};
        data.Try = {&tryContext, &TTryContext::Start, &TTryContext::WriteText, &TTryContext::Stop};
        const bool ok = run(&data) != 0;
        tryContext.control.reset();

        if (ok) {
            const TPortDriverSettings chosen = FromDialog(data.Values);
            if (control_) Apply(*control_, chosen);
            WriteSettings(chosen);
        }
    } catch (...) {
        // The dialog and the driver never let an error reach the host.
    }
    if (control_) control_->SetActive(true);
    return 0;
}

void TPortDriverLibrary::BeginFrame() const {
    if (control_) control_->BeginFrame();
}

void TPortDriverLibrary::EndFrame() const {
    if (control_) control_->EndFrame();
}

void TPortDriverLibrary::Release(THardwareDescriptor& descriptor) {
    if (control_) control_->SetActive(false);
    control_.reset();
    descriptor.Control = nullptr;
}

const TPluginSettingKey* TPortDriverLibrary::SettingKeys() {
    if (!settingKeys_.empty()) return settingKeys_.data();
    const char* section = fileName_.c_str();
    keyTexts_ = {std::to_string(defaults_.Rows), std::to_string(defaults_.Cols),
                 std::to_string(defaults_.Timing)};
    const char* size = SizeFromSettings() ? "" : "; no effect on this fixed-size panel";
    keyTexts_.push_back(std::string("rows of the panel: 1, 2 or 4") + size);
    keyTexts_.push_back(std::string("characters per row: 8, 16, 20, 24, 32 or 40 (16, 20 or 40 "
                                    "with 4 rows)") +
                        size);
    settingKeys_ = {
        {section, kKeyRows, keyTexts_[0].c_str(), keyTexts_[3].c_str()},
        {section, kKeyCols, keyTexts_[1].c_str(), keyTexts_[4].c_str()},
        {section, kKeyPort, defaults_.Port.c_str(),
         "the parallel port: $378, $278, $3BC or decimal, or its device /dev/parportN"},
        {section, kKeyTiming, keyTexts_[2].c_str(),
         "busy-wait loops after each byte; raise it when a slow panel shows garbage"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return settingKeys_.data();
}
} // namespace orv
