// The folder under which a module reads the system's files (/proc, /sys, /etc, /dev), with a
// test hook that points it at a fake tree. A module that reads system files keeps one
// TSystemRoot and exports kSetSystemRootExport beside getPlugin; the host never looks that
// export up.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Null or "" returns to the real system.
using TSetSystemRootFunc = void (*)(const char* root);
inline constexpr const char* kSetSystemRootExport = "SetSystemRootForTesting";

class TSystemRoot {
public:
    // An absolute system path under the root: "/proc/stat" itself on the real system,
    // "/tmp/fake/proc/stat" under the root "/tmp/fake".
    std::string Path(std::string_view absolutePath) const {
        return root_ + std::string(absolutePath);
    }
    void Set(const char* root) {
        root_ = root ? root : "";
        while (!root_.empty() && root_.back() == '/') root_.pop_back();
    }
    bool IsRealSystem() const { return root_.empty(); }

private:
    std::string root_; // without a trailing '/'; empty for the real system
};

} // namespace orv
