// The host's guard of every call into one loaded module: what the call throws is caught, the
// module is reported once (its file, the operation and the exception's text) and the call gives
// the interface's failure value. The host catches only what a module throws with the C++
// run-time library the host uses too.
#pragma once

#include "abi/BoundaryCall.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace orv {

class TModuleFault {
public:
    explicit TModuleFault(std::string fileName) : fileName_(std::move(fileName)) {}
    TModuleFault(const TModuleFault&) = delete;
    TModuleFault& operator=(const TModuleFault&) = delete;

    template <typename TResult, typename TCall>
    TResult Guard(const char* operation, TResult failure, TCall&& call) noexcept {
        return CallAcrossBoundary(failure, call,
                                  [&](const std::string& what) { Failed(operation, what); });
    }
    template <typename TCall> void Guard(const char* operation, TCall&& call) noexcept {
        CallAcrossBoundary(call, [&](const std::string& what) { Failed(operation, what); });
    }

    // The calls that have thrown so far.
    uint64_t Failures() const { return failures_; }

private:
    void Failed(const char* operation, const std::string& what);

    const std::string fileName_;
    std::atomic<uint64_t> failures_{0};
};

} // namespace orv
