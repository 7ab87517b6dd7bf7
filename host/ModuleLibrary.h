// A loaded shared library and the checks the host makes before it trusts a descriptor.
#pragma once

#include "abi/ConstUnit.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orv {

// Owns one dlopen handle; the library is released when the object is destroyed.
class TModuleLibrary {
public:
    // nullptr when the file cannot be loaded; error (if given) receives dlerror's text.
    static std::unique_ptr<TModuleLibrary> Open(const std::string& path,
                                                std::string* error = nullptr);
    ~TModuleLibrary();
    TModuleLibrary(const TModuleLibrary&) = delete;
    TModuleLibrary& operator=(const TModuleLibrary&) = delete;

    void* Symbol(const char* name) const;
    const std::string& Path() const { return path_; }
    // The interface version the library exports; nullopt when it exports none.
    std::optional<uint32_t> InterfaceVersion() const;

    // The export getPlugin / getHardware called and checked; nullptr when the library exports
    // another interface version (the export is then not called), lacks the export or its
    // descriptor is unusable.
    TPluginDescriptor* DataModuleDescriptor(std::string* error = nullptr) const;
    THardwareDescriptor* DriverDescriptor(std::string* error = nullptr) const;
    TScreenSaverDescriptor* ScreenSaverDescriptor(std::string* error = nullptr) const;

private:
    TModuleLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

// A descriptor is refused when a string that must be there is null, a required callback is
// missing or the tag count is above 16; error (if given) says which.
bool CheckDescriptor(const TPluginDescriptor& d, std::string* error = nullptr);
bool CheckDescriptor(const THardwareDescriptor& d, std::string* error = nullptr);
bool CheckDescriptor(const TScreenSaverDescriptor& d, std::string* error = nullptr);

} // namespace orv
