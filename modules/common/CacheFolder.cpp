#include "modules/common/CacheFolder.h"

#include "base/UserFolders.h"

#include <cstdlib>
#include <filesystem>

namespace orv {

std::string ModuleCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (cache && cache[0] == '/') return std::string(cache) + "/orvanta3";
    return HomeFolder() + "/.cache/orvanta3";
}

bool EnsureModuleCacheFolder() {
    std::error_code ec;
    std::filesystem::create_directories(ModuleCacheFolder(), ec);
    return std::filesystem::is_directory(ModuleCacheFolder(), ec);
}

} // namespace orv
