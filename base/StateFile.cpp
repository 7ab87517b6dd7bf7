#include "base/StateFile.h"

#include "base/IniFile.h"
#include "base/UserFolders.h"

#include <cstdlib>
#include <filesystem>

namespace orv {

std::string StateFolder() {
    if (const char* unit = std::getenv("STATE_DIRECTORY"); unit && unit[0] == '/') {
        const std::string folders = unit;
        return folders.substr(0, folders.find(':'));
    }
    // Relative values are invalid by the XDG rules and are ignored.
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return std::string(state) + "/orvanta3";
    return HomeFolder() + "/.local/state/orvanta3";
}

std::string StateFilePath() { return StateFolder() + "/state.ini"; }

std::string ReadState(std::string_view section, std::string_view key, std::string_view def) {
    return TIniFile(StateFilePath()).ReadString(section, key, def);
}

bool WriteState(std::string_view section, std::string_view key, std::string_view value) {
    std::error_code ec;
    std::filesystem::create_directories(StateFolder(), ec);
    return TIniFile(StateFilePath()).WriteString(section, key, value);
}

bool SettingsWritable() {
    const char* readOnly = std::getenv(kSettingsReadOnlyVariable);
    return !readOnly || std::string_view(readOnly) != "1";
}

} // namespace orv
