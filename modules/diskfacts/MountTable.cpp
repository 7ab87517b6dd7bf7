#include "modules/diskfacts/MountTable.h"

#include <algorithm>
#include <iterator>
#include <sys/stat.h>

namespace orv {

namespace {

constexpr std::string_view kPseudoTypes[] = {
    "proc",       "sysfs",       "devtmpfs",      "devpts",         "cgroup",      "cgroup2",
    "mqueue",     "debugfs",     "tracefs",       "securityfs",     "pstore",      "bpf",
    "configfs",   "fusectl",     "hugetlbfs",     "autofs",         "binfmt_misc", "efivarfs",
    "rpc_pipefs", "nsfs",        "selinuxfs",     "nfsd",           "overlay",     "squashfs",
    "fuse.lxcfs", "fuse.portal", "fuse.snapfuse", "fuse.gvfsd-fuse"};

constexpr std::string_view kNetworkTypes[] = {"nfs",       "nfs4",  "cifs", "smb3",
                                              "smbfs",     "ncpfs", "9p",   "ceph",
                                              "glusterfs", "afs",   "coda", "lustre"};

// A field of the table: blanks, tabs, newlines and backslashes are written as \ooo.
std::string Unescape(std::string_view field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                text += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// The next field separated by blanks or tabs, or "" at the end of the line.
std::string_view NextField(std::string_view& line) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return line = {};
    line.remove_prefix(start);
    const size_t end = std::min(line.find_first_of(" \t"), line.size());
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end);
    return field;
}

bool IsWithin(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
            path[folder.size()] == '/');
}

template <size_t N> bool IsOneOf(std::string_view type, const std::string_view (&types)[N]) {
    return std::find(std::begin(types), std::end(types), type) != std::end(types);
}

} // namespace

std::vector<TMount> ParseMountTable(std::string_view text) {
    std::vector<TMount> mounts;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        TMount mount;
        mount.Source = Unescape(NextField(line));
        mount.MountPoint = Unescape(NextField(line));
        mount.Type = Unescape(NextField(line));
        if (mount.MountPoint.empty() || mount.MountPoint.front() != '/' || mount.Type.empty())
            continue;
        mount.MayHang = IsOneOf(mount.Type, kNetworkTypes) || mount.Type.rfind("fuse", 0) == 0;
        std::erase_if(mounts, [&](const TMount& m) { return m.MountPoint == mount.MountPoint; });
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool IsDrive(const TMount& mount) {
    if (mount.MountPoint == "/") return true;
    if (IsWithin(mount.MountPoint, "/proc") || IsWithin(mount.MountPoint, "/sys")) return false;
    if (IsOneOf(mount.Type, kPseudoTypes)) return false;
    if (mount.Type == "tmpfs" || mount.Type == "ramfs")
        return !IsWithin(mount.MountPoint, "/dev") && !IsWithin(mount.MountPoint, "/run");
    return true;
}

void TDriveList::Open(const TSystemTree& tree) {
    tree_ = tree;
    table_.Open(tree.Path("/proc/self/mounts"));
    drives_.clear();
}

const std::vector<TMount>& TDriveList::Drives() {
    if (!table_.Changed()) return drives_;
    drives_.clear();
    if (!table_.Read()) return drives_;
    for (TMount& mount : ParseMountTable(table_.Text())) {
        if (!IsDrive(mount)) continue;
        struct stat info {};
        const std::string path = tree_.Path(mount.MountPoint);
        // A mount whose query may hang is not looked at; a missing path is kept.
        if (!mount.MayHang && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) continue;
        drives_.push_back(std::move(mount));
    }
    return drives_;
}

} // namespace orv
