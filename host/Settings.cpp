#include "host/Settings.h"

#include "host/Autostart.h"
#include "host/Cp1251.h"
#include "host/LocaleDate.h"
#include "host/TextUtil.h"

#include <climits>

namespace orv {

namespace {

constexpr const char* kCommon = "Common";
constexpr const char* kINet = "INet";
constexpr const char* kShortcuts = "Shortcuts";
constexpr const char* kVirtualScreen = "Virtual screen";
constexpr const char* kPosition = "Position";

int32_t ReadRanged(const TIniDocument& doc, const char* section, const char* key, int32_t def,
                   int32_t min, int32_t max = INT32_MAX) {
    const int32_t value = doc.ReadInteger(section, key, def);
    return value >= min && value <= max ? value : def;
}

std::optional<int32_t> ReadOptional(const TIniDocument& doc, const char* section,
                                    const char* key) {
    const auto text = doc.Find(section, key);
    return text ? ParseInt32(*text) : std::nullopt;
}

// A string as one INI value that reads back unchanged: a value with blanks at either end or in a
// pair of quotes is put in quotes, which reading removes.
std::string StoredText(std::string_view text) {
    std::string out(text);
    const bool outerBlank = !out.empty() && (IsBlank(out.front()) || IsBlank(out.back()));
    const bool quoted = out.size() >= 2 && (out.front() == '"' || out.front() == '\'') &&
                        out.back() == out.front();
    return outerBlank || quoted ? "\"" + out + "\"" : out;
}

void WriteText(TIniDocument& doc, const char* section, const char* key, std::string_view text) {
    doc.WriteString(section, key, StoredText(text));
}

} // namespace

void TSettings::ReadEarly() {
    const TIniDocument doc = TIniFile(path_).Read();
    const TCommonSettings def;
    Common.ShowSplashScreen = doc.ReadBool(kCommon, "Show splash-screen", def.ShowSplashScreen);
    Common.AutoloadJob = doc.ReadBool(kCommon, "Autoload job", def.AutoloadJob);
    Common.JobName = doc.ReadString(kCommon, "Job name", def.JobName);
}

void TSettings::ReadMain(const std::function<void(const TIniDocument&)>& readCustomChars) {
    const TIniDocument doc = TIniFile(path_).Read();

    const TCommonSettings c;
    Common.Autostart = doc.ReadBool(kCommon, "Autostart", c.Autostart);
    Common.ShowSplashScreen = doc.ReadBool(kCommon, "Show splash-screen", c.ShowSplashScreen);
    Common.AutoloadJob = doc.ReadBool(kCommon, "Autoload job", c.AutoloadJob);
    Common.JobName = doc.ReadString(kCommon, "Job name", c.JobName);
    Common.StartMsg = doc.ReadString(kCommon, "StartMsg", c.StartMsg);
    Common.StartMsgLine2 = doc.ReadString(kCommon, "StartMsg line2", c.StartMsgLine2);
    Common.QuitMsg = doc.ReadString(kCommon, "QuitMsg", c.QuitMsg);
    Common.QuitMsgLine2 = doc.ReadString(kCommon, "QuitMsg line2", c.QuitMsgLine2);
    Common.Language = doc.ReadString(kCommon, "Language", c.Language);
    Common.ShowHint = doc.ReadBool(kCommon, "Show hint", c.ShowHint);
    Common.BaseTimeoutMs = ReadRanged(doc, kCommon, "Base timeout", c.BaseTimeoutMs, 50, 1000);
    Common.LongDelayPeriod = ReadRanged(doc, kCommon, "Long delay period", c.LongDelayPeriod, 4);
    Common.CalculateTimeForLongStrings =
        doc.ReadBool(kCommon, "Calculate time for long strings", c.CalculateTimeForLongStrings);
    Common.SubScreenShowTimeSec =
        ReadRanged(doc, kCommon, "SubScreen show time", c.SubScreenShowTimeSec, 1);
    Common.ShowLcdScreensaver = doc.ReadBool(kCommon, "Show LCD-screensaver", c.ShowLcdScreensaver);
    Common.TransitionSpeedMs =
        ReadRanged(doc, kCommon, "Transition speed", c.TransitionSpeedMs, 50, 1000);
    Common.BoldEditLine = doc.ReadBool(kCommon, "Bold edit line", c.BoldEditLine);
    Common.UseAnimation = doc.ReadBool(kCommon, "Use animation", c.UseAnimation);
    Common.ScrollDelimiter = doc.ReadString(kCommon, "Scroll delimiter", c.ScrollDelimiter);
    Common.UseScrollDelimiter = doc.ReadBool(kCommon, "Use scroll delimiter", c.UseScrollDelimiter);

    const TINetSettings n;
    INet.Proxy = doc.ReadString(kINet, "Proxy", n.Proxy);
    INet.ProxyPort = ReadRanged(doc, kINet, "ProxyPort", n.ProxyPort, 1, 65535);
    INet.CheckUpdates = doc.ReadBool(kINet, "Check updates", n.CheckUpdates);
    INet.NextCheck = ParseShortDate(doc.ReadString(kINet, "Next check", "")).value_or(n.NextCheck);
    INet.Ver = doc.ReadString(kINet, "Ver", n.Ver);

    const TShortcutSettings s;
    Shortcuts.Bit = doc.ReadString(kShortcuts, "Bit", s.Bit);
    Shortcuts.Byte = doc.ReadString(kShortcuts, "Byte", s.Byte);
    Shortcuts.Kilo = doc.ReadString(kShortcuts, "Kilo", s.Kilo);
    Shortcuts.Mega = doc.ReadString(kShortcuts, "Mega", s.Mega);
    Shortcuts.Giga = doc.ReadString(kShortcuts, "Giga", s.Giga);
    Shortcuts.PerSec = doc.ReadString(kShortcuts, "PerSec", s.PerSec);
    Shortcuts.Hertz = doc.ReadString(kShortcuts, "Hertz", s.Hertz);
    Shortcuts.Hour = doc.ReadString(kShortcuts, "Hour", s.Hour);
    Shortcuts.Min = doc.ReadString(kShortcuts, "Min", s.Min);
    Shortcuts.Sec = doc.ReadString(kShortcuts, "Sec", s.Sec);

    const TVirtualScreenSettings v;
    VirtualScreen.Show = doc.ReadBool(kVirtualScreen, "Show", v.Show);
    VirtualScreen.PixelOnColor = doc.ReadInteger(kVirtualScreen, "Pixel ON color", v.PixelOnColor);
    VirtualScreen.PixelOffColor =
        doc.ReadInteger(kVirtualScreen, "Pixel OFF color", v.PixelOffColor);
    VirtualScreen.BackgroundColor =
        doc.ReadInteger(kVirtualScreen, "Background color", v.BackgroundColor);
    VirtualScreen.PixelHorizSize =
        ReadRanged(doc, kVirtualScreen, "Pixel horiz. size", v.PixelHorizSize, 1, 4);
    VirtualScreen.PixelVertSize =
        ReadRanged(doc, kVirtualScreen, "Pixel vert. size", v.PixelVertSize, 1, 4);
    VirtualScreen.HorizPosition =
        doc.ReadInteger(kVirtualScreen, "Horiz. position", v.HorizPosition);
    VirtualScreen.VertPosition = doc.ReadInteger(kVirtualScreen, "Vert. position", v.VertPosition);

    if (readCustomChars) readCustomChars(doc);
}

void TSettings::ReadPosition() {
    const TIniDocument doc = TIniFile(path_).Read();
    Position.Top = ReadOptional(doc, kPosition, "Top");
    Position.Left = ReadOptional(doc, kPosition, "Left");
}

bool TSettings::Save(const TSettingsSaveParts& parts) {
    // A failed autostart update changes nothing and does not stop the save.
    ApplyAutostart(Common.Autostart);

    return TIniFile(path_).Update([&](TIniDocument& doc) {
        doc.WriteBool(kCommon, "Autostart", Common.Autostart);
        doc.WriteBool(kCommon, "Autoload job", Common.AutoloadJob);
        WriteText(doc, kCommon, "Job name", Common.JobName);
        WriteText(doc, kCommon, "StartMsg", Common.StartMsg);
        WriteText(doc, kCommon, "QuitMsg", Common.QuitMsg);
        WriteText(doc, kCommon, "StartMsg line2", Common.StartMsgLine2);
        WriteText(doc, kCommon, "QuitMsg line2", Common.QuitMsgLine2);
        WriteText(doc, kCommon, "Language", Common.Language);
        doc.WriteBool(kCommon, "Show hint", Common.ShowHint);
        doc.WriteBool(kCommon, "Show splash-screen", Common.ShowSplashScreen);
        doc.WriteInteger(kCommon, "Base timeout", Common.BaseTimeoutMs);
        doc.WriteInteger(kCommon, "Long delay period", Common.LongDelayPeriod);
        doc.WriteBool(kCommon, "Calculate time for long strings",
                      Common.CalculateTimeForLongStrings);
        doc.WriteInteger(kCommon, "SubScreen show time", Common.SubScreenShowTimeSec);
        doc.WriteBool(kCommon, "Show LCD-screensaver", Common.ShowLcdScreensaver);
        doc.WriteInteger(kCommon, "Transition speed", Common.TransitionSpeedMs);
        doc.WriteBool(kCommon, "Bold edit line", Common.BoldEditLine);
        doc.WriteBool(kCommon, "Use animation", Common.UseAnimation);
        if (Common.ScrollDelimiter.empty()) {
            Common.ScrollDelimiter =
                doc.ReadString(kCommon, "Scroll delimiter", TCommonSettings().ScrollDelimiter);
            Common.UseScrollDelimiter = false;
        } else {
            WriteText(doc, kCommon, "Scroll delimiter", Common.ScrollDelimiter);
        }
        doc.WriteBool(kCommon, "Use scroll delimiter", Common.UseScrollDelimiter);

        WriteText(doc, kINet, "Proxy", INet.Proxy);
        doc.WriteInteger(kINet, "ProxyPort", INet.ProxyPort);
        doc.WriteBool(kINet, "Check updates", INet.CheckUpdates);

        WriteText(doc, kShortcuts, "Bit", Shortcuts.Bit);
        WriteText(doc, kShortcuts, "Byte", Shortcuts.Byte);
        WriteText(doc, kShortcuts, "Kilo", Shortcuts.Kilo);
        WriteText(doc, kShortcuts, "Mega", Shortcuts.Mega);
        WriteText(doc, kShortcuts, "Giga", Shortcuts.Giga);
        WriteText(doc, kShortcuts, "PerSec", Shortcuts.PerSec);
        WriteText(doc, kShortcuts, "Hertz", Shortcuts.Hertz);
        WriteText(doc, kShortcuts, "Hour", Shortcuts.Hour);
        WriteText(doc, kShortcuts, "Min", Shortcuts.Min);
        WriteText(doc, kShortcuts, "Sec", Shortcuts.Sec);

        doc.WriteBool(kVirtualScreen, "Show", VirtualScreen.Show);
        doc.WriteInteger(kVirtualScreen, "Pixel ON color", VirtualScreen.PixelOnColor);
        doc.WriteInteger(kVirtualScreen, "Pixel OFF color", VirtualScreen.PixelOffColor);
        doc.WriteInteger(kVirtualScreen, "Background color", VirtualScreen.BackgroundColor);
        doc.WriteInteger(kVirtualScreen, "Pixel horiz. size", VirtualScreen.PixelHorizSize);
        doc.WriteInteger(kVirtualScreen, "Pixel vert. size", VirtualScreen.PixelVertSize);

        if (parts.WriteCustomChars) parts.WriteCustomChars(doc);
        for (const auto& module : parts.Modules)
            WriteModuleActive(doc, module.LibraryFile, module.Active);
        if (parts.WriteCharsetMapping) parts.WriteCharsetMapping(doc);
    });
}

bool TSettings::SavePosition(int32_t top, int32_t left, int32_t width, int32_t height) {
    const bool written = TIniFile(path_).Update([&](TIniDocument& doc) {
        doc.WriteInteger(kPosition, "Top", top);
        doc.WriteInteger(kPosition, "Left", left);
        doc.WriteInteger(kPosition, "Width", width);
        doc.WriteInteger(kPosition, "Height", height);
    });
    Position.Top = top;
    Position.Left = left;
    return written;
}

bool TSettings::SaveVirtualScreenPosition() {
    return TIniFile(path_).Update([&](TIniDocument& doc) {
        doc.WriteInteger(kVirtualScreen, "Horiz. position", VirtualScreen.HorizPosition);
        doc.WriteInteger(kVirtualScreen, "Vert. position", VirtualScreen.VertPosition);
    });
}

bool TSettings::SaveUpdateCheck() {
    return TIniFile(path_).Update([&](TIniDocument& doc) {
        doc.WriteString(kINet, "Next check", FormatShortDate(INet.NextCheck));
        WriteText(doc, kINet, "Ver", INet.Ver);
    });
}

std::string ModuleSection(std::string_view libraryFile) {
    return Utf8ToCp1251(BaseName(libraryFile));
}

bool ReadModuleActive(const TIniDocument& doc, std::string_view libraryFile) {
    return doc.ReadBool(ModuleSection(libraryFile), "Active", false);
}

void WriteModuleActive(TIniDocument& doc, std::string_view libraryFile, bool active) {
    doc.WriteBool(ModuleSection(libraryFile), "Active", active);
}

bool ReadModuleActive(const std::string& settingsPath, std::string_view libraryFile) {
    return ReadModuleActive(TIniFile(settingsPath).Read(), libraryFile);
}

bool WriteModuleActive(const std::string& settingsPath, std::string_view libraryFile,
                       bool active) {
    return TIniFile(settingsPath).Update(
        [&](TIniDocument& doc) { WriteModuleActive(doc, libraryFile, active); });
}

} // namespace orv
