// The answers of the remote-control interface that both programs give alike: the status text and
// the current frame.
#pragma once

#include <string>
#include <vector>

namespace orv {

class TApplicationCore;

// Lines of "name: value" (UTF-8): the job file, the current screen (0-based, as goto counts)
// with its name, the driver and the modules that are on.
std::string RemoteStatusText(TApplicationCore& core);

// The current frame as sent on the bus: the rows (Windows-1251, codes 1..8 for the custom
// characters), then the eight custom characters' dot rows (8 bytes each, empty for a slot not
// loaded yet).
struct TRemoteFrame {
    std::vector<std::string> Rows;
    std::vector<std::string> CustomChars;
};
TRemoteFrame RemoteFrame(const TApplicationCore& core);

} // namespace orv
