#include "host/modulehost/ModuleKinds.h"

#include "host/ProgramMessages.h"

#include <algorithm>
#include <filesystem>

namespace orv {

const char* ModuleFolder(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return "plugins/hardware";
    case TModuleKind::ScreenSaver: return "plugins/screensaver";
    case TModuleKind::Data: break;
    }
    return "plugins/software";
}

int InitErrorMessage(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return msgHardwareInitError;
    case TModuleKind::ScreenSaver: return msgScreenSaverInitError;
    case TModuleKind::Data: break;
    }
    return msgSoftwareInitError;
}

TModuleDescriptor ReadModuleDescriptor(const TModuleLibrary& library, TModuleKind kind,
                                       std::string* error) {
    std::string fileName = std::filesystem::path(library.Path()).filename().string();
    switch (kind) {
    case TModuleKind::Driver:
        if (THardwareDescriptor* driver = library.DriverDescriptor(error))
            return TDisplayDriver(
                *driver, std::move(fileName),
                reinterpret_cast<TFrameMarkFunc>(library.Symbol(kBeginFrameExport)),
                reinterpret_cast<TFrameMarkFunc>(library.Symbol(kEndFrameExport)));
        break;
    case TModuleKind::ScreenSaver:
        if (TScreenSaverDescriptor* saver = library.ScreenSaverDescriptor(error))
            return TScreenSaverModule(*saver, std::move(fileName));
        break;
    case TModuleKind::Data:
        if (TPluginDescriptor* plugin = library.DataModuleDescriptor(error))
            return TDataModule(*plugin, std::move(fileName),
                               reinterpret_cast<TSteadyForFunc>(library.Symbol(kSteadyForExport)));
        break;
    }
    return std::monostate();
}

std::vector<std::string> ModuleLibraryFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.size() > 3 && name.ends_with(".so") && it->is_regular_file(typeEc))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TDataModule::GetValue(int32_t index, const char* param) const {
    return fault_->Guard("GetValue", std::string(), [&] {
        const char* answer = record_->GetValue(index, param);
        return std::string(answer ? answer : "");
    });
}

int32_t TDataModule::SteadyForMs(int32_t index, const char* param) const {
    if (!steadyFor_) return 0;
    return std::max(fault_->Guard("steadyFor", 0, [&] { return steadyFor_(index, param); }), 0);
}

bool TDataModule::LoadSettings() const {
    if (!record_->LoadSettings) return false;
    fault_->Guard("LoadSettings", record_->LoadSettings);
    return true;
}

void TDataModule::Configure() const {
    if (record_->Configure) fault_->Guard("Configure", record_->Configure);
}

void TDataModule::Finalize() const {
    if (record_->Finalize) fault_->Guard("Finalize", record_->Finalize);
}

bool TDisplayDriver::Init() const {
    return !record_->Init || fault_->Guard("Init", false, [this] { return record_->Init() == 0; });
}

bool TDisplayDriver::Configure() const {
    return record_->Configure &&
           fault_->Guard("Configure", false, [this] { return record_->Configure() == 0; });
}

void TDisplayDriver::Release() const { fault_->Guard("Release", record_->Release); }

void TDisplayDriver::SwitchOffAndRelease() const {
    if (TLCDBaseControl* control = Control()) control->SetActive(false);
    Release();
}

} // namespace orv
