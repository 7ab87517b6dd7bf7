#include "drivers/base/PortLibrary.h"

#include <dlfcn.h>

namespace orv {

std::unique_ptr<TPortLibrary> TPortLibrary::Load(const std::vector<std::string>& paths,
                                                 uint32_t base) {
    for (const std::string& path : paths) {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) continue;
        std::unique_ptr<TPortLibrary> library(new TPortLibrary(handle));
        if (!library->write_ || !library->read_) continue; // not a port library: next path
        if (!library->OpenBase(base)) return nullptr;
        return library;
    }
    return nullptr;
}

TPortLibrary::TPortLibrary(void* handle) : handle_(handle) {
    write_ = reinterpret_cast<TWriteFunc>(::dlsym(handle, "DlPortWritePortUchar"));
    read_ = reinterpret_cast<TReadFunc>(::dlsym(handle, "DlPortReadPortUchar"));
    open_ = reinterpret_cast<TOpenFunc>(::dlsym(handle, "DlPortOpen"));
    close_ = reinterpret_cast<TCloseFunc>(::dlsym(handle, "DlPortClose"));
    endOfUpdate_ = reinterpret_cast<TEndOfUpdateFunc>(::dlsym(handle, "DlPortEndOfUpdate"));
}

TPortLibrary::~TPortLibrary() {
    CloseBase();
    ::dlclose(handle_);
}

bool TPortLibrary::OpenBase(uint32_t base) {
    if (open_ && open_(base) != 0) return false;
    base_ = base;
    opened_ = true;
    return true;
}

void TPortLibrary::CloseBase() {
    if (opened_ && close_) close_(base_);
    opened_ = false;
}

bool TPortLibrary::Reopen(uint32_t base) {
    CloseBase();
    return OpenBase(base);
}

} // namespace orv
