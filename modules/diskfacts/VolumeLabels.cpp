#include "modules/diskfacts/VolumeLabels.h"

#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace orv {

namespace {

constexpr const char* kLabelFolder = "/dev/disk/by-label";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path with every link resolved, or "" when it does not exist.
std::string Resolved(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

} // namespace

std::string DecodeLabelName(std::string_view name) {
    std::string label;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = HexDigit(name[i + 2]), low = HexDigit(name[i + 3]);
            if (high >= 0 && low >= 0) {
                label += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        label += name[i];
    }
    return label;
}

void TVolumeLabels::Open(const TSystemTree& tree) {
    tree_ = tree;
    trusted_ = false;
    labelOfDevice_.clear();
}

std::string TVolumeLabels::Label(const std::string& source) {
    if (source.empty() || source.front() != '/') return {};
    const std::string folder = tree_.Path(kLabelFolder);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return {};
    if (!trusted_ || info.st_mtim.tv_sec != folderTime_.tv_sec ||
        info.st_mtim.tv_nsec != folderTime_.tv_nsec) {
        Scan();
        folderTime_ = info.st_mtim;
        // A change in the same clock tick as the scan would leave the time as it is: the copy
        // is trusted only once the folder's time is a second older than the scan.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        trusted_ = now.tv_sec - folderTime_.tv_sec > 1;
    }
    const auto found = labelOfDevice_.find(Resolved(tree_.Path(source)));
    return found == labelOfDevice_.end() ? std::string() : found->second;
}

void TVolumeLabels::Scan() {
    labelOfDevice_.clear();
    for (const std::string& name : tree_.List(kLabelFolder)) {
        const std::string device = Resolved(tree_.Path(std::string(kLabelFolder) + "/" + name));
        if (!device.empty()) labelOfDevice_.emplace(device, DecodeLabelName(name));
    }
}

} // namespace orv
