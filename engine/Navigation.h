// Screen navigation as the tray menu, the virtual display's buttons and other programs ask for
// it; the display thread takes it at its next tick.
#pragma once

#include <cstdint>
#include <optional>

namespace orv {

// The step of a request; the values are the first integer of the remote-control interface's
// Navigate method.
enum TNavigation : int32_t {
    navGoTo = 0, // to the screen with index Screen (0-based)
    navNext = 1,
    navPrevious = -1,
};

struct TNavigationRequest {
    TNavigation Step = navNext;
    int32_t Screen = 0; // with navGoTo only
};

// The request of the interface's two integers; nullopt when step names none.
constexpr std::optional<TNavigationRequest> NavigationRequestOf(int32_t step, int32_t screen) {
    switch (step) {
    case navNext: return TNavigationRequest{navNext};
    case navPrevious: return TNavigationRequest{navPrevious};
    case navGoTo: return TNavigationRequest{navGoTo, screen};
    default: return std::nullopt;
    }
}

} // namespace orv
