#include "base/ui/PluginDialogLanguage.h"

#include "base/IniFile.h"
#include "base/ProgramSettingKeys.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "base/ui/WindowLanguage.h"

#include <QCoreApplication>

namespace orv {

namespace {

constexpr char kPluginDialogPrefix[] = "7_";

// Hidden like every symbol of the static library, so each dialog library has its own copy.
void AnchorOfThisLibrary() {}

} // namespace

std::string PluginDialogLanguagePath() {
    // .../plugins/KIND/ui/NAME.so -> .../plugins/KIND/NAME.lng
    const std::string library = FileOfAddress(reinterpret_cast<const void*>(&AnchorOfThisLibrary));
    std::string name(BaseName(library));
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return DirName(DirName(library)) + "/" + name + ".lng";
}

void TranslatePluginDialog(QWidget& dialog) {
    TranslatePluginDialog(dialog,
                          TIniFile(SettingsPath()).ReadString(kCommonSection, kLanguageKey, ""),
                          PluginDialogLanguagePath());
}

void TranslatePluginDialog(QWidget& dialog, const std::string& language,
                           const std::string& lngPath) {
    if (LanguageTemplateRequested(QCoreApplication::arguments()))
        AddWindowLanguageTemplate(dialog, kPluginDialogPrefix, lngPath);
    else
        ApplyWindowLanguage(dialog, kPluginDialogPrefix, language, lngPath);
}

} // namespace orv
