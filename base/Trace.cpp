#include "base/Trace.h"

#include "base/TextUtil.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace orv {

namespace {

std::atomic<bool> traceEnabled{false};

} // namespace

void SetTraceEnabled(bool enabled) { traceEnabled = enabled; }

bool TraceEnabled() { return traceEnabled; }

void Trace(std::string_view text) {
    if (!traceEnabled) return;
    std::string line = std::string(program_invocation_short_name) + ": ";
    line += EscapeControlBytes(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr); // one write: threads do not interleave
    std::fflush(stderr);
}

} // namespace orv
