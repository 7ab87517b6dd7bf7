// The player link's answer to videowatch's check tag: the running program exports this
// function, and the module finds it with dlsym(RTLD_DEFAULT). It asks the link to look at the
// session bus again and returns 1 when a media player is on it, else 0.
#pragma once

#include <cstdint>

using TPlayerLookAgainFunc = int32_t (*)();
inline constexpr const char* kPlayerLookAgainExport = "Orvanta3PlayerLookAgain";
