#include "modules/common/HostTrace.h"

#include "base/Trace.h"

#include <dlfcn.h>

#include <string>

namespace orv {

void HostTrace(std::string_view text) {
    static const auto trace = reinterpret_cast<TTraceFunc>(::dlsym(RTLD_DEFAULT, kTraceExport));
    if (trace) trace(std::string(text).c_str());
}

} // namespace orv
