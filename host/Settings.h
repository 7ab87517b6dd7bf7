// The main program's settings file: the passes that read its keys (host/SettingKeys.h) and the
// writers that write them. Drivers and data modules keep their own keys and read them
// themselves.
//
// Every read pass reads the file once; every writer writes it in one atomic update. Strings are
// Windows-1251.
#pragma once

#include "base/IniFile.h"
#include "host/SettingKeys.h"
#include "host/SettingsValues.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// One entry of the module table: the library's file name and whether the module is on.
struct TModuleActive {
    std::string LibraryFile;
    bool Active = false;
};

// What a save writes besides the keys of this model, at their places in the order.
struct TSettingsSaveParts {
    std::function<void(TIniDocument&)> WriteCustomChars;    // "Custom chars", "Named chars"
    std::vector<TModuleActive> Modules;                     // in table order
    std::function<void(TIniDocument&)> WriteCharsetMapping; // "Custom charset mapping"
};

class TSettings : public TSettingsValues {
public:
    // path: the settings file, normally SettingsPath().
    explicit TSettings(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The keys of one read pass (TSettingRead), from one reading of the file.
    // Before the main window exists: the Early keys.
    void ReadEarly();
    // The main pass: the Early and Main keys, then readCustomChars with the same contents of the
    // file.
    void ReadMain(const std::function<void(const TIniDocument&)>& readCustomChars = {});
    // Once the main window is set up: the Position keys.
    void ReadPosition();

    // The writers (TSettingWrite), each in one atomic update; false when the file could not be
    // written.
    //
    // Updates the autostart entry, then writes the Save keys, the custom character sections,
    // every module's "Active" and "Custom charset mapping", in that order. An empty scroll
    // delimiter stores its use as off and keeps the stored delimiter; the model takes both
    // values from the file then.
    bool Save(const TSettingsSaveParts& parts = {});
    // At exit: the main window's top, left and client size; the model keeps top and left.
    bool SavePosition(int32_t top, int32_t left, int32_t width, int32_t height);
    // When the virtual display window is destroyed: its position.
    bool SaveVirtualScreenPosition();
    // The file holds the virtual display's position (it had been shown and closed before);
    // otherwise the window has no place of its own yet.
    bool VirtualScreenPositionStored() const;
    // After the update check: the next check date and the version found.
    bool SaveUpdateCheck();

private:
    bool WriteKeys(TSettingWrite writer);

    std::string path_;
};

// "Active" of a module, kept in the section named after its library file (e.g. "chronos.so";
// a path is reduced to its file name, stored as Windows-1251). Off when missing.
std::string ModuleSection(std::string_view libraryFile);
bool ReadModuleActive(const TIniDocument& doc, std::string_view libraryFile);
void WriteModuleActive(TIniDocument& doc, std::string_view libraryFile, bool active);
bool ReadModuleActive(const std::string& settingsPath, std::string_view libraryFile);
bool WriteModuleActive(const std::string& settingsPath, std::string_view libraryFile, bool active);

} // namespace orv
