// The plug-in side of the C boundary: every callback and export of our plug-ins runs its body
// through PluginCall, so that an exception never leaves the library. The first failure of a
// library shows one message naming the library file, the operation and the exception; the
// operation then gives the interface's failure value (an empty answer, false, nothing done).
#pragma once

#include "abi/BoundaryCall.h"

#include <string>

namespace orv {

// Shows the message of the library's first failure; later failures are silent.
void ReportPluginFailure(const char* operation, const std::string& what) noexcept;

template <typename TResult, typename TCall>
TResult PluginCall(const char* operation, TResult failure, TCall&& call) noexcept {
    return CallAcrossBoundary(failure, call, [operation](const std::string& what) {
        ReportPluginFailure(operation, what);
    });
}

template <typename TCall> void PluginCall(const char* operation, TCall&& call) noexcept {
    CallAcrossBoundary(
        call, [operation](const std::string& what) { ReportPluginFailure(operation, what); });
}

// PluginCall as the guard of a stand-in for a driver object (abi/GuardedControl.h).
struct TPluginGuard {
    template <typename TResult, typename TCall>
    TResult Guard(const char* operation, TResult failure, TCall&& call) noexcept {
        return PluginCall(operation, failure, call);
    }
    template <typename TCall> void Guard(const char* operation, TCall&& call) noexcept {
        PluginCall(operation, call);
    }
};

} // namespace orv
