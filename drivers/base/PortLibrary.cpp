#include "drivers/base/PortLibrary.h"

#include "drivers/base/PortText.h"

#include <dlfcn.h>

namespace orv {

std::unique_ptr<TPortLibrary> TPortLibrary::Load(const std::vector<std::string>& paths,
                                                 const TPortName& port, std::string& error) {
    for (const std::string& path : paths) {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) continue;
        std::unique_ptr<TPortLibrary> library(new TPortLibrary(handle));
        if (!library->write_ || !library->read_) continue; // not a port library: next path
        if (!library->OpenPort(port, error)) return nullptr;
        return library;
    }
    error = std::string("Error loading \"") + kPortLibraryName + "\"!";
    return nullptr;
}

TPortLibrary::TPortLibrary(void* handle) : handle_(handle) {
    write_ = reinterpret_cast<TWriteFunc>(::dlsym(handle, "DlPortWritePortUchar"));
    read_ = reinterpret_cast<TReadFunc>(::dlsym(handle, "DlPortReadPortUchar"));
    open_ = reinterpret_cast<TOpenFunc>(::dlsym(handle, "DlPortOpen"));
    openDevice_ = reinterpret_cast<TOpenDeviceFunc>(::dlsym(handle, "DlPortOpenDevice"));
    close_ = reinterpret_cast<TCloseFunc>(::dlsym(handle, "DlPortClose"));
    endOfUpdate_ = reinterpret_cast<TEndOfUpdateFunc>(::dlsym(handle, "DlPortEndOfUpdate"));
    lastError_ = reinterpret_cast<TLastErrorFunc>(::dlsym(handle, "DlPortLastError"));
}

TPortLibrary::~TPortLibrary() {
    CloseBase();
    ::dlclose(handle_);
}

bool TPortLibrary::OpenPort(const TPortName& port, std::string& error) {
    uint32_t base = port.Base;
    const bool byDevice = !port.Device.empty();
    if (byDevice && !openDevice_) {
        error = "Cannot open the parallel port " + port.Device +
                ": this port library opens ports by address only";
        return false;
    }
    if (byDevice ? openDevice_(port.Device.c_str(), &base) != 0 : open_ && open_(base) != 0) {
        const char* reason = lastError_ ? lastError_() : nullptr;
        error = "Cannot open the parallel port " + FormatPortName(port) + ": " +
                (reason && *reason ? reason : "the port library refused it");
        return false;
    }
    base_ = base;
    opened_ = true;
    return true;
}

void TPortLibrary::CloseBase() {
    if (opened_ && close_) close_(base_);
    opened_ = false;
}

bool TPortLibrary::Reopen(const TPortName& port, std::string& error) {
    CloseBase();
    return OpenPort(port, error);
}

} // namespace orv
