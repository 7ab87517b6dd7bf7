// Every plug-in library below the program folder, looked at without switching any on: what it
// is, whether the settings switch it on, why a library is not a module, its tags and the
// settings keys it reads. For the commands that help set up a box without the desktop program.
#pragma once

#include "host/modulehost/ModuleKinds.h"

#include <string>
#include <vector>

namespace orv {

struct TInventoryTag {
    std::string Name, Caption, Example, Hint; // UTF-8
};

struct TInventoryKey {
    std::string Section, Key, Default, Comment; // UTF-8
};

struct TInventoryPlugin {
    TModuleKind Kind = TModuleKind::Data;
    std::string FileName; // also the section holding its "Active" key
    std::string Name;     // the descriptor's, UTF-8
    bool Active = false;  // the settings switch it on
    std::string Problem;  // why the library is not a module of its kind; empty when it is one
    std::vector<TInventoryTag> Tags;
    std::vector<TInventoryKey> Keys;
};

// The libraries of the driver, data module and screen-saver folders, in discovery order. Each
// is opened, its descriptor read and checked and the library closed again: no module's
// LoadSettings, Init or Start runs.
std::vector<TInventoryPlugin> InventoryPlugins(const std::string& programFolder,
                                               const std::string& settingsPath);

// "driver", "data module" or "screen saver".
const char* KindWord(TModuleKind kind);

} // namespace orv
