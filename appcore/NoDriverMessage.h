// What a start-up without a display driver tells the user: which settings file was read, or
// why none was, and that no panel will show anything.
#pragma once

#include <string>

namespace orv {

// One sentence in UTF-8, for a settings file at settingsPath.
std::string NoDriverMessage(const std::string& settingsPath);

} // namespace orv
