// Finds the companion settings-dialog library of a driver: ui/NAME.so in the driver library's
// own folder. It is loaded the first time it is needed and stays loaded (it links Qt).
#pragma once

#include <string>

namespace orv {

// The folder of the driver library this code is linked into.
std::string DriverLibraryFolder();

// The export symbol of ui/fileName beside the driver library; nullptr when the library or the
// export is missing.
void* DialogEntryPoint(const std::string& fileName, const char* symbol);

} // namespace orv
