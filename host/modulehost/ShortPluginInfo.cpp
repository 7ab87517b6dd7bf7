#include "host/modulehost/ShortPluginInfo.h"

namespace orv {

bool TShortPluginInfo::Attach(std::unique_ptr<TModuleLibrary> library, std::string* error) {
    BuiltInTexts.reset();
    descriptor_ = ReadModuleDescriptor(*library, kind_, error);
    if (!Loaded()) return false;
    handle_ = std::move(library);
    return true;
}

void TShortPluginInfo::ReadDataModuleAgain() {
    if (!DataModule()) return;
    TModuleDescriptor again = ReadModuleDescriptor(*handle_, kind_);
    if (std::holds_alternative<TDataModule>(again)) descriptor_ = again;
}

void TShortPluginInfo::CopyDescriptorTexts() {
    if (const TDataModule* data = DataModule()) {
        Name = data->Descriptor().Name;
    } else if (const TDisplayDriver* driver = Driver()) {
        Name = driver->Descriptor().Name;
        Description = driver->Descriptor().Description;
    } else if (const TScreenSaverModule* saver = ScreenSaver()) {
        Name = saver->Descriptor().Name;
        Description = saver->Descriptor().Description;
    }
}

void TShortPluginInfo::Detach() {
    BuiltInTexts.reset();
    descriptor_ = std::monostate();
    handle_.reset();
}

bool TShortPluginInfo::LoadSettings() const {
    const TDataModule* data = DataModule();
    return data && data->LoadSettings();
}

bool TShortPluginInfo::CanConfigure() const {
    if (const TDataModule* data = DataModule()) return data->CanConfigure();
    if (const TDisplayDriver* driver = Driver()) return driver->CanConfigure();
    return false;
}

void TShortPluginInfo::Finish() {
    if (const TDataModule* data = DataModule()) data->Finalize();
    if (const TDisplayDriver* driver = Driver()) driver->Release();
    if (const TScreenSaverModule* saver = ScreenSaver()) saver->Stop();
    Detach();
}

} // namespace orv
