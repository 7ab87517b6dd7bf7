// The check of a settings file for people who write it by hand: values that do not parse and
// fall back to their defaults, and modules marked active that cannot be loaded.
#pragma once

#include "host/CheckFinding.h"
#include "base/IniFile.h"
#include "host/modulehost/ModuleHost.h"

#include <vector>

namespace orv {

// Findings in line order: the program's keys (host/SettingKeys.h), the "Active" key of every
// section, the keys of each loaded driver that exports checkSettings, and every section marked
// "Active" whose module the host has not loaded. host has run Discover on the settings of doc,
// best with InitDrivers off.
std::vector<TCheckFinding> CheckSettings(const TIniDocument& doc, const TModuleHost& host);

} // namespace orv
