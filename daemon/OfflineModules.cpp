#include "daemon/OfflineModules.h"

namespace orv {

namespace {

TSettings ReadSettings(const std::string& path) {
    TSettings settings(path);
    settings.ReadMain();
    return settings;
}

} // namespace

TOfflineModules::TOfflineModules(const std::string& settingsPath)
    : settings_(ReadSettings(settingsPath)), host_({.ProgramFolder = {},
                                                    .SettingsPath = settingsPath,
                                                    .Language = settings_.Common.Language,
                                                    .CreateLanguageTemplate = false,
                                                    .ListInactiveModules = false,
                                                    .InitDrivers = false,
                                                    .LoadModuleSettings = false}) {
    host_.Discover();
}

} // namespace orv
