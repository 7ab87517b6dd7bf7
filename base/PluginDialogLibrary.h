// Finds the companion settings-dialog library of a plug-in: ui/NAME.so in the folder of the
// plug-in library this code is linked into. It is loaded the first time it is needed and stays
// loaded (it links Qt); the plug-in itself never links Qt.
#pragma once

#include <string>

namespace orv {

// The folder of the plug-in library (or program) this code is linked into.
std::string PluginLibraryFolder();

// The export symbol of ui/fileName beside the plug-in library; nullptr when the library or the
// export is missing.
void* DialogEntryPoint(const std::string& fileName, const char* symbol);

} // namespace orv
