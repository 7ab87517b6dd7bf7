// The program's translatable messages "9_00001".."9_00019": built-in Russian texts that a
// language file may replace. Texts are Windows-1251.
#pragma once

#include "host/IniFile.h"

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
};

constexpr int kFirstMessage = msgPreviewMode;
constexpr int kLastMessage = msgNewScreenPrefix;

// "9_00001" for message 1.
std::string MessageKey(int id);

// The built-in text of a message; empty for an id outside 1..19.
std::string_view BuiltInMessage(int id);

// The current text of a message (translated when a language has been applied). Thread-safe.
std::string Message(int id);
void SetMessage(int id, std::string_view text);

// The desktop program is the user of what follows; today only tests call it.

// Replaces every message whose key the section language of the main language file holds; an
// empty language or a missing section changes nothing.
void ApplyMessages(const TIniDocument& languageFile, std::string_view language);

// Writes the current texts of all nineteen messages into section "RU".
void WriteMessagesTemplate(TIniDocument& languageFile);

// Puts every message back to its built-in text.
void ResetMessages();

} // namespace orv
