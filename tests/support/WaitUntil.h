// Waiting for something another thread or process does, with a deadline instead of a sleep.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace orv::test {

// Polls pred until it holds or timeout passes; false on the time-out.
inline bool WaitUntil(const std::function<bool()>& pred,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace orv::test
