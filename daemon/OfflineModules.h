// The modules the settings switch on, loaded for a look at them without touching the panel:
// data modules are opened without their LoadSettings (no download starts, nothing is written),
// drivers are loaded but not initialised.
#pragma once

#include "host/Settings.h"
#include "host/modulehost/ModuleHost.h"

#include <string>

namespace orv {

class TOfflineModules {
public:
    explicit TOfflineModules(const std::string& settingsPath);
    const TSettings& Settings() const { return settings_; }
    const TModuleHost& Host() const { return host_; }

private:
    TSettings settings_;
    TModuleHost host_;
};

} // namespace orv
