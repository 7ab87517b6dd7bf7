// Language files: INI files in Windows-1251, one section per language. The main one,
// "Orvanta3.lng", sits in the program's folder and holds the window texts and the program's
// messages; each data module has its own beside its library (host/modulehost/ModuleLanguage.h).
#pragma once

#include "base/IniFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr std::string_view kMainLanguageFileName = "Orvanta3.lng";

// Orvanta3.lng in the folder of the running program.
std::string MainLanguagePath();

// The languages a file offers (the language chooser): its section names in file order,
// Windows-1251; none when the file is missing.
std::vector<std::string> LanguageNames(const std::string& lngPath);

// The file to translate from: nullopt when language is empty or the file does not exist, so
// the caller leaves every text as it is. A file without the section is returned as well; its
// lookups simply find nothing.
std::optional<TIniDocument> ReadLanguageFile(const std::string& lngPath, std::string_view language);

} // namespace orv
