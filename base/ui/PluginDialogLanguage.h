// The texts of a plug-in's settings dialog, which lives in the companion library ui/NAME.so of
// the plug-in library NAME.so: keys "7_" of NAME.lng beside the plug-in library.
#pragma once

#include <string>

class QWidget;

namespace orv {

// NAME.lng beside the plug-in whose companion library this code is linked into.
std::string PluginDialogLanguagePath();

// Called once the dialog has all its controls: translates it into the language of the settings
// file ("Common" "Language"), or, under the template switch, writes its texts to section "RU"
// of the file in place of the dialog's earlier ones (the descriptor's keys stay).
void TranslatePluginDialog(QWidget& dialog);
// The same with the language and the file given.
void TranslatePluginDialog(QWidget& dialog, const std::string& language,
                           const std::string& lngPath);

} // namespace orv
