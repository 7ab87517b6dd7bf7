// The drives diskfacts numbers: the mounted local and network file systems of a mount table
// (/proc/self/mounts), in its order.
#pragma once

#include "modules/common/SourceFile.h"
#include "modules/common/SystemTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TMount {
    std::string Source;     // "/dev/sda1", "server:/export"; octal escapes decoded
    std::string MountPoint; // "/home"
    std::string Type;       // "ext4"
    bool MayHang = false;   // a network or FUSE file system, whose queries may never return
};

// Every entry of a mount table text; for a mount point listed more than once only the last
// (visible) entry, at its own place.
std::vector<TMount> ParseMountTable(std::string_view text);

// Whether a visible mount counts as a drive: the root always; never a mount point inside /proc
// or /sys, nor a pseudo file system (proc, sysfs, devtmpfs, devpts, cgroup, mqueue, debugfs,
// overlay and squashfs layers, the desktop's FUSE helpers...), nor a tmpfs or ramfs at /dev,
// /run or below them. A tmpfs elsewhere (/tmp) counts, so do removable media under /run/media.
bool IsDrive(const TMount& mount);

// The drives of the system's mount table, read again only when the kernel reports a change
// (a fake tree's table is read on every call). Mounts of single files (a container's
// /etc/hosts) are left out.
class TDriveList {
public:
    void Open(const TSystemTree& tree);
    const std::vector<TMount>& Drives();

private:
    TSystemTree tree_;
    TSourceFile table_;
    std::vector<TMount> drives_;
};

} // namespace orv
