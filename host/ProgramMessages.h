// The program's translatable messages "9_00001".."9_00119": built-in Russian texts that the main
// language file may replace. Texts are Windows-1251.
//
// One table serves the whole program (ProgramMessages()): the windows read their mode texts,
// tree nodes and button texts from it, and the module host takes its error texts and the
// caption of its error boxes from it, so applying a language once changes them everywhere.
#pragma once

#include "base/IniFile.h"

#include <array>
#include <mutex>
#include <string>
#include <string_view>

namespace orv {

enum TMessageId : int {
    msgPreviewMode = 1,
    msgEditMode = 2,
    msgSettingsMode = 3,
    msgCommonSettings = 4,
    msgShortcuts = 5,
    msgModules = 6,
    msgVirtualScreen = 7,
    msgCharDefinitions = 8,
    msgSettingsPanel = 9,
    msgErrorCaption = 10,
    msgJobLoaded = 11,
    msgJobSaved = 12,
    msgSavedAs = 13,
    msgHardwareInitError = 14,
    msgSoftwareInitError = 15,
    msgScreenSaverInitError = 16,
    msgTurnOff = 17,
    msgTurnOn = 18,
    msgNewScreenPrefix = 19,
    msgNoDriverQuestion = 20,
    msgWarningCaption = 21,
    msgNoModulesInTree = 22,
    msgOpenModules = 23,
    msgJobChangedQuestion = 24,
    msgSecondsSuffix = 25,
    msgLatestVersion = 26,
    msgNewVersionCaption = 27,
    msgNewVersionQuestion = 28,
    msgNextCheckCaption = 29,
    msgNextCheckText = 30,
    msgFirstTransition = 31, // the ten screen transitions, 31..40
    msgLastTransition = 40,
    msgJobFilesFilter = 41,
    msgAllFilesFilter = 42,
    msgFirstWebText = 43, // the web page's texts, in the order of kWebTextKeys
    msgLastWebText = 81,
    msgFirstSettingCaption = 82, // captions of the settings, in the order of kSettingCaptionKeys
    msgLastSettingCaption = 119,
    msgJobChangedElsewhere = 120, // the editors' question; the web page's "webJobChanged"
};

constexpr int kFirstMessage = msgPreviewMode;
constexpr int kLastMessage = msgJobChangedElsewhere;

// The keys the web page looks its texts up by, for messages msgFirstWebText...
inline constexpr std::array<const char*, msgLastWebText - msgFirstWebText + 1> kWebTextKeys = {
    "webPanel",        "webJob",         "webSettings",    "webPassword",   "webLogIn",
    "webPrevious",     "webNext",        "webScreen",      "webGoTo",       "webCharset",
    "webOpen",         "webSave",        "webPreview",     "webEndPreview", "webShowTime",
    "webOnce",         "webTransition",  "webTags",        "webArgument",   "webColumn",
    "webWidth",        "webRefresh",     "webFormat",      "webInsert",     "webCommon",
    "webModules",      "webDrivers",     "webLine",        "webAlign",      "webAlign_left",
    "webAlign_center", "webAlign_right", "webScroll",      "webScroll_0",   "webScroll_1",
    "webScroll_2",     "webSaved",       "webNotWritable", "webUnsaved",
};

// The settings the captions msgFirstSettingCaption... name, as "Section/Key".
inline constexpr std::array<const char*, msgLastSettingCaption - msgFirstSettingCaption + 1>
    kSettingCaptionKeys = {
        "Common/Autoload job",
        "Common/Job name",
        "Common/StartMsg",
        "Common/QuitMsg",
        "Common/StartMsg line2",
        "Common/QuitMsg line2",
        "Common/Language",
        "Common/Show hint",
        "Common/Show splash-screen",
        "Common/Base timeout",
        "Common/Long delay period",
        "Common/Calculate time for long strings",
        "Common/SubScreen show time",
        "Common/Show LCD-screensaver",
        "Common/Transition speed",
        "Common/Bold edit line",
        "Common/Use animation",
        "Common/Scroll delimiter",
        "Common/Use scroll delimiter",
        "INet/Proxy",
        "INet/ProxyPort",
        "INet/Check updates",
        "Shortcuts/Bit",
        "Shortcuts/Byte",
        "Shortcuts/Kilo",
        "Shortcuts/Mega",
        "Shortcuts/Giga",
        "Shortcuts/PerSec",
        "Shortcuts/Hertz",
        "Shortcuts/Hour",
        "Shortcuts/Min",
        "Shortcuts/Sec",
        "Virtual screen/Show",
        "Virtual screen/Pixel ON color",
        "Virtual screen/Pixel OFF color",
        "Virtual screen/Background color",
        "Virtual screen/Pixel horiz. size",
        "Virtual screen/Pixel vert. size",
};

// "9_00001" for message 1.
std::string MessageKey(int id);
// The message of a key such as "9_00004"; 0 for any other text.
int MessageIdOfKey(std::string_view key);

// Thread-safe.
class TProgramMessages {
public:
    TProgramMessages(); // the built-in texts

    // The current text; empty for an unknown id or key.
    std::string Text(int id) const;
    std::string Text(std::string_view key) const;
    void Set(int id, std::string_view text);

    // Replaces every message whose key the section language of the file holds, each with its
    // current text as the default. Nothing happens when language is empty or the file is
    // missing; an absent section or key keeps the current text.
    void Apply(const std::string& lngPath, std::string_view language);
    void Apply(const TIniDocument& languageFile, std::string_view language);

    // Template switch: writes the current texts of all messages into section "RU" of
    // the file, keeping what it holds already (the windows' texts written before). False when
    // the file could not be written.
    bool WriteTemplate(const std::string& lngPath) const;
    void WriteTemplate(TIniDocument& languageFile) const;

    // Every message back to its built-in text.
    void Reset();

private:
    mutable std::mutex lock_;
    std::array<std::string, kLastMessage> texts_;
};

// The program's one table.
TProgramMessages& ProgramMessages();

// Shorthand for ProgramMessages().Text(id).
std::string Message(int id);

} // namespace orv
