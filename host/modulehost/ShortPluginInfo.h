// One entry of the module table: a library found in one of the three plug-in folders.
#pragma once

#include "host/ConstUnit.h"
#include "host/ModuleLibrary.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orv {

enum class TModuleKind : uint8_t { Data = 0, Driver = 1, ScreenSaver = 3 };

// The folder of a kind below the program folder: "plugins/software" and so on.
const char* ModuleFolder(TModuleKind kind);

struct TShortPluginInfo {
    bool Active = false;                    // the module is on; saved as "Active" of [FileName]
    std::unique_ptr<TModuleLibrary> Handle; // loaded library while on
    std::string FileName;                   // "chronos.so"; the settings section name
    std::string Name;                       // descriptor Name, copied at discovery
    std::string Description;                // see TModuleHost::Discover
    TModuleKind Kind = TModuleKind::Data;
    void* Descriptor = nullptr;             // non-null exactly while the library is loaded

    TPluginDescriptor* Plugin() const {
        return Kind == TModuleKind::Data ? static_cast<TPluginDescriptor*>(Descriptor) : nullptr;
    }
    THardwareDescriptor* Hardware() const {
        return Kind == TModuleKind::Driver ? static_cast<THardwareDescriptor*>(Descriptor)
                                           : nullptr;
    }
    TScreenSaverDescriptor* ScreenSaver() const {
        return Kind == TModuleKind::ScreenSaver ? static_cast<TScreenSaverDescriptor*>(Descriptor)
                                                : nullptr;
    }
};

} // namespace orv
