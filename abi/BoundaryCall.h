// Calls across the C boundary between the program and a plug-in: nothing but return values
// crosses it. Both sides use this to turn an exception into the interface's failure value.
#pragma once

#include <exception>
#include <string>

namespace orv {

// The text of the exception being handled; only inside a catch block.
inline std::string CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

// Inside a catch block: report(exception text). A report that fails itself (no memory) leaves
// nothing but the failure value.
template <typename TReport> void ReportCurrentException(TReport& report) noexcept {
    try {
        report(CurrentExceptionText());
    } catch (...) {
    }
}

// Runs call and returns its result; when it throws, report(exception text) runs instead and
// failure is returned.
template <typename TResult, typename TCall, typename TReport>
TResult CallAcrossBoundary(TResult failure, TCall&& call, TReport&& report) noexcept {
    try {
        return call();
    } catch (...) {
        ReportCurrentException(report);
    }
    return failure;
}

// The same for a call without a result.
template <typename TCall, typename TReport>
void CallAcrossBoundary(TCall&& call, TReport&& report) noexcept {
    try {
        call();
    } catch (...) {
        ReportCurrentException(report);
    }
}

} // namespace orv
