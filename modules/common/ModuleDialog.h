// The module side of a settings dialog that lives in the companion library ui/NAME.so: finding
// its entry point, and filling the fixed-size text fields of the record it is given.
#pragma once

#include "base/FixedText.h"

#include <string>
#include <string_view>

namespace orv {

// The export symbol of ui/libraryFile beside the module; when it is missing the user is told
// (message box) and nullptr comes back.
void* ModuleDialogEntry(const std::string& libraryFile, const char* symbol);

} // namespace orv
