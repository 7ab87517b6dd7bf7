#include "host/KeyPress.h"

#include "host/ConstUnit.h"

#include <dlfcn.h>

namespace orv {

void ReportKeyPress(int8_t code) {
    if (auto press = reinterpret_cast<TKeyPressFunc>(::dlsym(RTLD_DEFAULT, kKeyPressExport)))
        press(code);
}

} // namespace orv
