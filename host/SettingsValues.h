// The values of the main program's settings, one struct a section. A default-constructed struct
// holds the defaults of the settings file; the keys, ranges and the order of the file are in
// host/SettingKeys.h.
#pragma once

#include "base/ProgramSettingKeys.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

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
    int32_t BaseTimeoutMs = 250;
    int32_t LongDelayPeriod = 20;
    bool CalculateTimeForLongStrings = false;
    int32_t SubScreenShowTimeSec = 2;
    bool ShowLcdScreensaver = false;
    int32_t TransitionSpeedMs = 200;
    bool BoldEditLine = true;
    bool UseAnimation = true;
    std::string ScrollDelimiter = "|";
    bool UseScrollDelimiter = false;

    bool operator==(const TCommonSettings&) const = default;
};

struct TINetSettings {
    std::string Proxy;
    int32_t ProxyPort = kDefaultProxyPort;
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
    int32_t PixelHorizSize = 2;
    int32_t PixelVertSize = 2;
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

struct TSettingsValues {
    TCommonSettings Common;
    TINetSettings INet;
    TShortcutSettings Shortcuts;
    TVirtualScreenSettings VirtualScreen;
    TWindowPosition Position;

    bool operator==(const TSettingsValues&) const = default;
};

} // namespace orv
