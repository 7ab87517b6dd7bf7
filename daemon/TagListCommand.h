// orvanta3d --list-tags and --list-modules: what the modules offer, for a box set up without the
// desktop program.
#pragma once

#include <cstdio>
#include <string>

namespace orv {

// One line per tag, in module table order, tab-separated UTF-8: the module's file, the tag, its
// caption, example and hint. With no data module switched on, the tags of every data module
// found, each line with a sixth field saying the module is off and which section switches it
// on. Returns the exit status.
int ListTags(const std::string& settingsPath, std::FILE* out);

// One line per plug-in library found, tab-separated UTF-8: its kind, file, "on" or "off", the
// settings section holding its Active key and its name; for a library that is no module of its
// kind "not loaded" and the reason instead of the name. Returns the exit status.
int ListModules(const std::string& settingsPath, std::FILE* out);

} // namespace orv
