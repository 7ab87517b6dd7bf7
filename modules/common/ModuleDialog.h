// The module side of a settings dialog that lives in the companion library ui/NAME.so: finding
// its entry point, and filling the fixed-size text fields of the record it is given.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace orv {

// The export symbol of ui/libraryFile beside the module; when it is missing the user is told
// (message box) and nullptr comes back.
void* ModuleDialogEntry(const std::string& libraryFile, const char* symbol);

// text cut to fit, zero-terminated.
template <size_t N>
void CopyText(char (&target)[N], std::string_view text) {
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

} // namespace orv
