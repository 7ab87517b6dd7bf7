// orvanta3d --init: a starter settings file with every key of the program and of the plug-ins
// found, each at its default and after a one-line comment; every plug-in is off.
#pragma once

#include "daemon/PluginInventory.h"

#include <string>
#include <vector>

namespace orv {

// The file's text (UTF-8, which the program reads as such).
std::string StarterSettingsText(const std::vector<TInventoryPlugin>& plugins);

// Writes the text to path unless something is there already; empty on success, else one line
// saying why not.
std::string WriteStarterSettings(const std::string& path, const std::string& text);

} // namespace orv
