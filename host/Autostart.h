// Starting the program when the user logs on: the XDG autostart entry
// "$XDG_CONFIG_HOME/autostart/orvanta3.desktop" (~/.config when XDG_CONFIG_HOME is unset).
#pragma once

#include <string>

namespace orv {

std::string AutostartEntryPath();

// The file of the running program (through /proc/self/exe); empty when unknown.
std::string ProgramFile();

// TSettings::Save calls it when it writes "Autostart".
// Writes the entry, which runs programFile, when enabled, and removes it otherwise. False when
// that failed; nothing is changed then.
bool ApplyAutostart(bool enabled, const std::string& programFile);
// The same for the running program.
bool ApplyAutostart(bool enabled);

} // namespace orv
