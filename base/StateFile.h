// What the program and its modules learn while running (when to download next, when to look for
// an update, the last version seen) is state, not configuration: it goes into one INI file of
// its own, "state.ini", which every program may write, while a service's settings file may be
// read-only and is never written by the daemon.
//
// The folder: $STATE_DIRECTORY (set by systemd for a unit's StateDirectory=; the first of a
// colon-separated list), else $XDG_STATE_HOME/orvanta3, else ~/.local/state/orvanta3. Texts are
// Windows-1251, as in the settings file.
#pragma once

#include <string>
#include <string_view>

namespace orv {

std::string StateFolder();
std::string StateFilePath();

// The value of key in section of the state file; def when it or the file is missing.
std::string ReadState(std::string_view section, std::string_view key, std::string_view def);

// Stores one value: the folder is created when missing, the file replaced atomically under its
// lock (a writer in another process loses nothing). False when it cannot be written.
bool WriteState(std::string_view section, std::string_view key, std::string_view value);

// Set by a program that leaves the settings file as it is (the daemon), for its plug-ins: they
// then keep what they learn in the state file alone.
inline constexpr const char* kSettingsReadOnlyVariable = "ORVANTA3_SETTINGS_READ_ONLY";
bool SettingsWritable();

} // namespace orv
