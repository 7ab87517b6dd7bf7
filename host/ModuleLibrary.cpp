#include "host/ModuleLibrary.h"

#include "abi/BoundaryCall.h"

#include <dlfcn.h>

namespace orv {

namespace {

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// A library built against another version of the interfaces may read and fill its descriptor
// differently: none of its exports is called.
bool CheckInterfaceVersion(const TModuleLibrary& lib, std::string* error) {
    const std::optional<uint32_t> version = lib.InterfaceVersion();
    if (!version || *version == kInterfaceVersion) return true;
    return Fail(error, lib.Path() + ": built for interface version " + std::to_string(*version) +
                           ", this program loads version " + std::to_string(kInterfaceVersion));
}

template <typename Descriptor, typename Export>
Descriptor* CallExport(const TModuleLibrary& lib, const char* exportName, std::string* error) {
    if (!CheckInterfaceVersion(lib, error)) return nullptr;
    auto fn = reinterpret_cast<Export>(lib.Symbol(exportName));
    if (!fn) {
        Fail(error, lib.Path() + ": no export " + exportName);
        return nullptr;
    }
    // The export of a library that throws is refused like one that returns nothing.
    bool threw = false;
    auto* descriptor = static_cast<Descriptor*>(
        CallAcrossBoundary<void*>(nullptr, fn, [&](const std::string& what) {
            threw = true;
            Fail(error, lib.Path() + ": " + exportName + " failed (" + what + ")");
        }));
    if (threw) return nullptr;
    if (!descriptor) {
        Fail(error, lib.Path() + ": " + exportName + " returned no descriptor");
        return nullptr;
    }
    if (!CheckDescriptor(*descriptor, error)) return nullptr;
    return descriptor;
}

} // namespace

std::unique_ptr<TModuleLibrary> TModuleLibrary::Open(const std::string& path, std::string* error) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* text = ::dlerror();
            *error = text ? text : path + ": cannot be loaded";
        }
        return nullptr;
    }
    return std::unique_ptr<TModuleLibrary>(new TModuleLibrary(handle, path));
}

TModuleLibrary::~TModuleLibrary() { ::dlclose(handle_); }

void* TModuleLibrary::Symbol(const char* name) const { return ::dlsym(handle_, name); }

std::optional<uint32_t> TModuleLibrary::InterfaceVersion() const {
    const auto* version = static_cast<const uint32_t*>(Symbol(kInterfaceVersionExport));
    if (!version) return std::nullopt;
    return *version;
}

TPluginDescriptor* TModuleLibrary::DataModuleDescriptor(std::string* error) const {
    return CallExport<TPluginDescriptor, TGetPluginFunc>(*this, kGetPluginExport, error);
}

THardwareDescriptor* TModuleLibrary::DriverDescriptor(std::string* error) const {
    return CallExport<THardwareDescriptor, TGetHardwareFunc>(*this, kGetHardwareExport, error);
}

TScreenSaverDescriptor* TModuleLibrary::ScreenSaverDescriptor(std::string* error) const {
    return CallExport<TScreenSaverDescriptor, TGetPluginFunc>(*this, kGetPluginExport, error);
}

bool CheckDescriptor(const TPluginDescriptor& d, std::string* error) {
    if (!d.Name || !d.Description || !d.GroupCaption)
        return Fail(error, "descriptor without name, description or group caption");
    if (d.TagCount > kMaxTags) return Fail(error, "descriptor with more than 16 tags");
    if (!d.GetValue) return Fail(error, "descriptor without GetValue");
    for (int k = 0; k <= kMaxTags; ++k)
        if (!d.TagCaptions[k] || !d.TagNames[k] || !d.TagExamples[k] || !d.TagHints[k])
            return Fail(error, "descriptor with a missing tag text in entry " + std::to_string(k));
    return true;
}

bool CheckDescriptor(const THardwareDescriptor& d, std::string* error) {
    if (!d.Name || !d.Description)
        return Fail(error, "driver descriptor without name or description");
    if (!d.Release) return Fail(error, "driver descriptor without Release");
    return true;
}

bool CheckDescriptor(const TScreenSaverDescriptor& d, std::string* error) {
    if (!d.Name || !d.Description)
        return Fail(error, "screen-saver descriptor without name or description");
    if (!d.Start || !d.Stop) return Fail(error, "screen-saver descriptor without Start or Stop");
    return true;
}

} // namespace orv
