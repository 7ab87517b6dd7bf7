// The system's own files (/sys, /proc, /run, /etc) as a module reads them, below a root folder
// that a test moves to a fake tree in a temporary folder. A module that reads them keeps one
// TSystemTree and exports kSetSystemRootExport beside getPlugin; the host never looks it up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

using TSetSystemRootFunc = void (*)(const char* folder);
inline constexpr const char* kSetSystemRootExport = "SetSystemRootForTesting";

class TSystemTree {
public:
    // null or "" returns to the real tree.
    void SetRoot(const char* folder) { root_ = folder ? folder : ""; }

    // The file that stands for an absolute system path ("/sys/class/net").
    std::string Path(std::string_view absolute) const { return root_ + std::string(absolute); }

    // The whole file, or nullopt when it cannot be read.
    std::optional<std::string> Read(std::string_view absolute) const;
    // The first line without blanks around it.
    std::optional<std::string> ReadLine(std::string_view absolute) const;
    // The first line as a decimal integer (sysfs attributes such as "1000" or "-1"); nullopt
    // when the file is missing or holds no whole number.
    std::optional<int64_t> ReadInteger(std::string_view absolute) const;
    std::optional<uint64_t> ReadUnsigned(std::string_view absolute) const;

    // The names in a folder, without "." and "..", in no particular order; empty when the folder
    // cannot be listed.
    std::vector<std::string> List(std::string_view absolute) const;

private:
    std::string root_;
};

} // namespace orv
