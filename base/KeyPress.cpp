#include "base/KeyPress.h"

#include "abi/ConstUnit.h"

#include <dlfcn.h>

namespace orv {

void ReportKeyPress(int8_t code) {
    if (auto press = reinterpret_cast<TKeyPressFunc>(::dlsym(RTLD_DEFAULT, kKeyPressExport)))
        press(code);
}

} // namespace orv
