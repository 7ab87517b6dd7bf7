// A private documents folder holding the settings file a module under test reads, with the C
// locale for the user's regional separators.
#pragma once

#include "tests/support/TempDir.h"

#include <string>

namespace orv::test {

class TSettingsFolder {
public:
    explicit TSettingsFolder(const std::string& settings = "[Common]\n") { Write(settings); }
    // Replaces Orvanta3.ini (Windows-1251 text).
    void Write(const std::string& settings) const { WriteText(docs_ / "Orvanta3.ini", settings); }
    const std::string& Path() const { return docs_.Path(); }

private:
    TempDir docs_;
    ScopedEnv documents_{"XDG_DOCUMENTS_DIR", docs_.Path()};
    ScopedEnv language_{"LC_ALL", "C"};
};

} // namespace orv::test
