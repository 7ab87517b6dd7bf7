// Volume labels, from the links udev keeps in /dev/disk/by-label.
#pragma once

#include "modules/common/SystemTree.h"

#include <ctime>
#include <map>
#include <string>

namespace orv {

// The links are looked at again only when the folder changes.
class TVolumeLabels {
public:
    void Open(const TSystemTree& tree);
    // The label of the device a mount comes from ("/dev/sda1"), in UTF-8; "" when it has none.
    std::string Label(const std::string& source);

private:
    void Scan();

    TSystemTree tree_;
    bool trusted_ = false;
    timespec folderTime_{};
    std::map<std::string, std::string> labelOfDevice_; // resolved device path -> label
};

// A link name of /dev/disk/by-label with udev's \xHH escapes decoded ("My\x20Disk").
std::string DecodeLabelName(std::string_view name);

} // namespace orv
