// A locale compiled by localedef into a temporary LOCPATH for the lifetime of the object, so
// locale tests do not depend on which locales the machine has generated.
#pragma once

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <locale.h>
#include <string>

namespace orv::test {

class GeneratedLocale {
public:
    // source: a locale source such as "ru_RU"; the locale is then named source + ".UTF-8".
    explicit GeneratedLocale(const std::string& source)
        : name_(source + ".UTF-8"), locpath_("LOCPATH", dir_.Path()) {
        const std::string cmd = "localedef -c -i " + source + " -f UTF-8 '" + dir_.Path() + "/" +
                                name_ + "' >/dev/null 2>&1";
        std::system(cmd.c_str());
        if (locale_t loc = ::newlocale(LC_ALL_MASK, name_.c_str(), locale_t(nullptr))) {
            ::freelocale(loc);
            ok_ = true;
        }
    }
    bool Ok() const { return ok_; }
    const std::string& Name() const { return name_; }

private:
    TempDir dir_;
    std::string name_;
    ScopedEnv locpath_;
    bool ok_ = false;
};

} // namespace orv::test
