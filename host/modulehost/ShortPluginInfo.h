// One entry of the module table: a library found in one of the three plug-in folders. While the
// module is on, the entry holds the loaded library and its descriptor typed by kind.
#pragma once

#include "host/ModuleLibrary.h"
#include "host/modulehost/ModuleKinds.h"
#include "host/modulehost/ModuleLanguage.h"

#include <memory>
#include <optional>
#include <string>

namespace orv {

class TShortPluginInfo {
public:
    TShortPluginInfo(TModuleKind kind, std::string fileName)
        : FileName(std::move(fileName)), kind_(kind) {}

    bool Active = false;     // the module is on; saved as "Active" of [FileName]
    std::string FileName;    // "chronos.so"; the settings section name
    std::string Name;        // descriptor Name, copied at discovery
    std::string Description; // see TModuleHost::Discover
    // A data module's own descriptor texts, kept at its first language while it is loaded.
    std::optional<TDescriptorTexts> BuiltInTexts;

    TModuleKind Kind() const { return kind_; }
    // The library is loaded and its descriptor kept.
    bool Loaded() const { return !std::holds_alternative<std::monostate>(descriptor_); }
    // The descriptor of a module of that kind that is loaded; null otherwise.
    const TDataModule* DataModule() const { return std::get_if<TDataModule>(&descriptor_); }
    const TDisplayDriver* Driver() const { return std::get_if<TDisplayDriver>(&descriptor_); }
    const TScreenSaverModule* ScreenSaver() const {
        return std::get_if<TScreenSaverModule>(&descriptor_);
    }

    // Reads the kind's descriptor from library and keeps both. False, and library released,
    // when the library lacks the export or its descriptor is refused; error (if given) says why.
    bool Attach(std::unique_ptr<TModuleLibrary> library, std::string* error = nullptr);
    // A data module's descriptor read again from its library (its callbacks may have changed);
    // the one held stays when the library now refuses.
    void ReadDataModuleAgain();
    // Copies the descriptor's Name; for drivers and screen savers also its Description (a data
    // module's comes after its language file).
    void CopyDescriptorTexts();
    // Releases the library and forgets the descriptor, without any callback.
    void Detach();

    // What the module offers, whatever its kind.
    // LoadSettings of a data module; false when off, another kind or without LoadSettings.
    bool LoadSettings() const;
    // On, and a data module or a driver with Configure.
    bool CanConfigure() const;
    // Program exit: the kind's finalisation (a data module's Finalize when it has one, a
    // driver's Release, a screen saver's Stop), then the library is released. Nothing when off.
    void Finish();

private:
    TModuleKind kind_;
    std::unique_ptr<TModuleLibrary> handle_; // the loaded library while on
    TModuleDescriptor descriptor_;           // set exactly while handle_ is
};

} // namespace orv
