// The main program's keys of the settings file, with their defaults, and when they are read and
// written. Drivers and data modules keep their own keys and read them themselves.
//
// Every read pass reads the file once; every save writes it in one atomic update. A missing
// key, or a number that does not parse or lies outside its range, gives the default. Strings
// are Windows-1251.
#pragma once

#include "host/IniFile.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TCommonSettings {
    bool Autostart = false;
    bool ShowSplashScreen = true;
    bool AutoloadJob = false;
    std::string JobName;
    std::string StartMsg = "$defineCharset[2]$$CustomChar[1]$$CustomChar[2]$$CustomChar[3]$"
                           "$CustomChar[4]$ Orvanta3";
    std::string StartMsgLine2 = "$CustomChar[5]$$CustomChar[6]$$CustomChar[7]$$CustomChar[8]$"
                                " v. " ORVANTA3_VERSION;
    std::string QuitMsg = "Good bye!";
    std::string QuitMsgLine2;
    std::string Language;
    bool ShowHint = true;
    int32_t BaseTimeoutMs = 250;    // 50..1000
    int32_t LongDelayPeriod = 20;   // from 4
    bool CalculateTimeForLongStrings = false;
    int32_t SubScreenShowTimeSec = 2; // from 1
    bool ShowLcdScreensaver = false;
    int32_t TransitionSpeedMs = 200; // 50..1000
    bool BoldEditLine = true;
    bool UseAnimation = true;
    std::string ScrollDelimiter = "|";
    bool UseScrollDelimiter = false;

    bool operator==(const TCommonSettings&) const = default;
};

struct TINetSettings {
    std::string Proxy;
    int32_t ProxyPort = 8080; // 1..65535
    bool CheckUpdates = false;
    std::chrono::year_month_day NextCheck{std::chrono::year(2003), std::chrono::January,
                                          std::chrono::day(1)};
    std::string Ver = "3.0.7.0";

    bool operator==(const TINetSettings&) const = default;
};

struct TShortcutSettings {
    std::string Bit = "b";
    std::string Byte = "b";
    std::string Kilo = "k";
    std::string Mega = "M";
    std::string Giga = "G";
    std::string PerSec = "ps";
    std::string Hertz = "Hz";
    std::string Hour = ":";
    std::string Min = ":";
    std::string Sec;

    bool operator==(const TShortcutSettings&) const = default;
};

struct TVirtualScreenSettings {
    bool Show = false;
    int32_t PixelOnColor = 16777215; // 0x00BBGGRR
    int32_t PixelOffColor = 8388608;
    int32_t BackgroundColor = 8388608;
    int32_t PixelHorizSize = 2; // 1..4
    int32_t PixelVertSize = 2;  // 1..4
    int32_t HorizPosition = 20;
    int32_t VertPosition = 20;

    bool operator==(const TVirtualScreenSettings&) const = default;
};

// Top and left edge of the main window; none when the file has no valid value, so the window
// keeps its initial position.
struct TWindowPosition {
    std::optional<int32_t> Top;
    std::optional<int32_t> Left;

    bool operator==(const TWindowPosition&) const = default;
};

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

class TSettings {
public:
    // path: the settings file, normally SettingsPath().
    explicit TSettings(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    TCommonSettings Common;
    TINetSettings INet;
    TShortcutSettings Shortcuts;
    TVirtualScreenSettings VirtualScreen;
    TWindowPosition Position;

    // Before the main window exists: "Show splash-screen", "Autoload job", "Job name".
    void ReadEarly();
    // The main pass: "Common", "INet", "Shortcuts", "Virtual screen", then readCustomChars
    // with the same contents of the file. "Next check" is read in the user's short date format
    // and keeps its default when it does not parse.
    void ReadMain(const std::function<void(const TIniDocument&)>& readCustomChars = {});
    // After the main window is set up: "Position" "Top" and "Left" ("Width" and "Height" are
    // never read).
    void ReadPosition();

    // Updates the autostart entry, then writes "Common", "INet" (not "Next check" and "Ver"),
    // "Shortcuts", the first six keys of "Virtual screen", the custom character sections, every
    // module's "Active" and "Custom charset mapping", in that order, in one atomic update. An
    // empty scroll delimiter stores "Use scroll delimiter" as off and keeps the stored
    // delimiter; the model takes both values from the file then. False when the file could not
    // be written.
    bool Save(const TSettingsSaveParts& parts = {});

    // At exit: the main window's top, left and client size.
    bool SavePosition(int32_t top, int32_t left, int32_t width, int32_t height);
    // When the virtual display window is destroyed: its "Horiz. position" and "Vert. position".
    bool SaveVirtualScreenPosition();
    // After the update check: "Next check" in the user's short date format, and "Ver".
    bool SaveUpdateCheck();

private:
    std::string path_;
};

// "Active" of a module, kept in the section named after its library file (e.g. "chronos.so";
// a path is reduced to its file name, stored as Windows-1251). Off when missing.
std::string ModuleSection(std::string_view libraryFile);
bool ReadModuleActive(const TIniDocument& doc, std::string_view libraryFile);
void WriteModuleActive(TIniDocument& doc, std::string_view libraryFile, bool active);
bool ReadModuleActive(const std::string& settingsPath, std::string_view libraryFile);
bool WriteModuleActive(const std::string& settingsPath, std::string_view libraryFile,
                       bool active);

} // namespace orv
