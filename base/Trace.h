// The trace of the program's workings for someone looking into a run: which modules were
// loaded and switched on, which module each tag of the job went to, reloads. Off unless
// switched on (orvanta3d --verbose); lines go to standard error, UTF-8.
#pragma once

#include <string_view>

namespace orv {

void SetTraceEnabled(bool enabled);
bool TraceEnabled();
// One line "PROGRAM: text"; nothing while the trace is off.
void Trace(std::string_view text);

// What a program file that keeps a trace exports for its plug-ins: one UTF-8 line to Trace.
using TTraceFunc = void (*)(const char* text);
inline constexpr const char* kTraceExport = "Orvanta3Trace";

} // namespace orv
