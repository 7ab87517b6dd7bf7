// orvanta3d --list-tags: every tag of the data modules the settings switch on.
#pragma once

#include <cstdio>
#include <string>

namespace orv {

// One line per tag, in module table order, tab-separated UTF-8: the module's file, the tag, its
// caption, example and hint. Returns the exit status.
int ListTags(const std::string& settingsPath, std::FILE* out);

} // namespace orv
