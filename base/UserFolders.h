// Where the system keeps its files: the user's documents folder, the settings file, the folder
// of the running program.
#pragma once

#include <string>

namespace orv {

// The user's home folder: $HOME, else the user database.
std::string HomeFolder();

// $XDG_DOCUMENTS_DIR, else the XDG_DOCUMENTS_DIR line of user-dirs.dirs, else ~/Documents
// when it exists, else the home folder.
std::string DocumentsFolder();

// The settings file: $ORVANTA3_SETTINGS (how a program given another settings file tells its
// plug-ins), else "Orvanta3.ini" in the documents folder.
inline constexpr const char* kSettingsPathVariable = "ORVANTA3_SETTINGS";
std::string SettingsPath();

// The folder that holds the running program file (resolved through /proc/self/exe).
std::string ProgramFolder();

// The path of the loaded library or program that contains address; the program's folder
// followed by "/" when it cannot be told.
std::string FileOfAddress(const void* address);

// The folder of the loaded library or program that contains address.
std::string FolderOfAddress(const void* address);

} // namespace orv
