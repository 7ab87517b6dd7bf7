// wparam of a navigation request (TApplicationCore::Navigate, the remote-control interface).
#pragma once

#include <cstdint>

namespace orv {

enum TNavigation : int32_t {
    navGoTo = 0, // to the screen with index lparam (0-based)
    navNext = 1,
    navPrevious = -1,
};

} // namespace orv
