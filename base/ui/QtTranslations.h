// Qt's own texts (the buttons of message boxes, file dialogs, context menus) in the language the
// program shows: Russian for the built-in texts, otherwise the language a language-file section
// is named after ("English", "Deutsch", "German"...). Qt's English stays when no translation is
// installed for it.
#pragma once

#include <QString>

#include <string_view>

namespace orv {

// The Qt locale name ("ru", "de") of a "Language" setting (Windows-1251; empty: the built-in
// Russian); empty for English or a name that is no known language.
QString QtLocaleOfLanguage(std::string_view language);

// Replaces the application's Qt translation with the one for language; true when one is loaded.
bool UseQtTranslations(std::string_view language);

} // namespace orv
