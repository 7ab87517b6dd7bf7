#include "modules/diskfacts/VolumeLabels.h"

#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace orv {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path with every link resolved, or "" when it does not exist.
std::string Resolved(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                      &std::free);
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

void TVolumeLabels::Open(const TSystemRoot& root) {
    root_ = root;
    trusted_ = false;
    labelOfDevice_.clear();
}

std::string TVolumeLabels::Label(const std::string& source) {
    if (source.empty() || source.front() != '/') return {};
    const std::string folder = root_.Path("/dev/disk/by-label");
    struct stat info{};
    if (::stat(folder.c_str(), &info) != 0) return {};
    if (!trusted_ || info.st_mtim.tv_sec != folderTime_.tv_sec ||
        info.st_mtim.tv_nsec != folderTime_.tv_nsec) {
        Scan(folder);
        folderTime_ = info.st_mtim;
        // A change in the same clock tick as the scan would leave the time as it is: the copy
        // is trusted only once the folder's time is a second older than the scan.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        trusted_ = now.tv_sec - folderTime_.tv_sec > 1;
    }
    const auto found = labelOfDevice_.find(Resolved(root_.Path(source)));
    return found == labelOfDevice_.end() ? std::string() : found->second;
}

void TVolumeLabels::Scan(const std::string& folder) {
    labelOfDevice_.clear();
    struct TCloseDir {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    const std::unique_ptr<DIR, TCloseDir> dir(::opendir(folder.c_str()));
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string device = Resolved(folder + "/" + std::string(name));
        if (!device.empty()) labelOfDevice_.emplace(device, DecodeLabelName(name));
    }
}

} // namespace orv
