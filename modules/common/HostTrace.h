// The program's trace (host/Trace.h) as a plug-in reaches it: through the function the program
// file exports, found with dlsym; nothing when the program has none or its trace is off.
#pragma once

#include <string_view>

namespace orv {

void HostTrace(std::string_view text);

} // namespace orv
