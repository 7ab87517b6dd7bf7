#include "base/PluginDialogLibrary.h"

#include "base/UserFolders.h"

#include <dlfcn.h>

namespace orv {

namespace {
// Hidden like every symbol of the static core, so each plug-in resolves its own copy.
void AnchorOfThisLibrary() {}
} // namespace

std::string PluginLibraryFolder() {
    return FolderOfAddress(reinterpret_cast<const void*>(&AnchorOfThisLibrary));
}

void* DialogEntryPoint(const std::string& fileName, const char* symbol) {
    const std::string path = PluginLibraryFolder() + "/ui/" + fileName;
    // Loading twice only raises the reference count; the library is never unloaded.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? ::dlsym(handle, symbol) : nullptr;
}

} // namespace orv
