// Where the internet modules keep what they downloaded: $XDG_CACHE_HOME/orvanta3/, else
// ~/.cache/orvanta3/, never the current folder (for a service that is "/" or someone else's).
#pragma once

#include <string>

namespace orv {

// The folder's path; it is not created here.
std::string ModuleCacheFolder();

// The folder created with its parents if missing; false when it cannot be.
bool EnsureModuleCacheFolder();

} // namespace orv
