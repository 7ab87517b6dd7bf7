#include "base/LanguageFile.h"

#include "base/UserFolders.h"

#include <sys/stat.h>

namespace orv {

std::string MainLanguagePath() {
    return ProgramFolder() + "/" + std::string(kMainLanguageFileName);
}

std::vector<std::string> LanguageNames(const std::string& lngPath) {
    return TIniFile(lngPath).Sections();
}

std::optional<TIniDocument> ReadLanguageFile(const std::string& lngPath,
                                             std::string_view language) {
    struct stat st {};
    if (language.empty() || ::stat(lngPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return TIniFile(lngPath).Read();
}

} // namespace orv
