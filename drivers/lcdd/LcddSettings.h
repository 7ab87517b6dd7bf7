// The settings section "lcdd.so": "Server" (default 127.0.0.1) and "Port" (13666); "Active"
// belongs to the module host.
#pragma once

#include "drivers/lcdd/LcddLink.h"
#include "abi/ConstUnit.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv {

inline constexpr const char* kLcddSection = "lcdd.so";

// A TCP port 1..65535 in decimal text; nullopt otherwise.
std::optional<uint16_t> ParseLcddPort(std::string_view text);

// From the settings file; a missing or blank server, and a port that is no port, read as the
// defaults.
TLcddAddress ReadLcddAddress(const std::string& settingsPath);
// The section's keys, for the settingKeys export.
const TPluginSettingKey* LcddSettingKeys();
// False when the file could not be written.
bool WriteLcddAddress(const std::string& settingsPath, const TLcddAddress& address);

} // namespace orv
