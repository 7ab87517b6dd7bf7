#include "PluginMessageBox.h"

#include "ConstUnit.h"
#include "Cp1251.h"

#include <cstdio>
#include <dlfcn.h>

namespace orv {

void PluginMessageBox(const char* text, const char* caption, int flags) {
    if (auto show = reinterpret_cast<TMessageBoxFunc>(::dlsym(RTLD_DEFAULT, kMessageBoxExport))) {
        show(text, caption, flags);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", Cp1251ToUtf8(caption ? caption : "").c_str(),
                 Cp1251ToUtf8(text ? text : "").c_str());
}

} // namespace orv
