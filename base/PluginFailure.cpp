#include "abi/PluginFailure.h"

#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/MessageBox.h"

#include <atomic>
#include <dlfcn.h>
#include <filesystem>

namespace orv {

namespace {

// The file name of this library: each plug-in has its own copy of this code (hidden symbols).
std::string LibraryFileName() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ReportPluginFailure), &info) == 0 || !info.dli_fname)
        return "a plug-in";
    return std::filesystem::path(info.dli_fname).filename().string();
}

std::atomic<bool> gReported{false};

} // namespace

void ReportPluginFailure(const char* operation, const std::string& what) noexcept {
    if (gReported.exchange(true)) return;
    try {
        ShowMessage(Utf8ToCp1251(LibraryFileName() + ": " + operation + " failed (" + what +
                                 "); the program goes on without its answer"),
                    "Error", mbError);
    } catch (...) {
    }
}

} // namespace orv
