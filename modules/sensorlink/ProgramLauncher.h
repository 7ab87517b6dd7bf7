// Starting an outside program (the sensor program or fan-control daemon the user names) unless
// a process of that name already runs.
#pragma once

#include "modules/common/SystemTree.h"

#include <string>

namespace orv {

// Whether a process runs whose name is the file name of path: its /proc/PID/comm (cut to 15
// bytes by the kernel), or the file name of its first or second command-line word (a script run
// by its interpreter).
bool IsProgramRunning(const TSystemTree& tree, const std::string& path);

// Starts the executable file at path with no arguments, detached: its own session, standard
// streams on /dev/null, none of this process's other descriptors, and no child left to reap.
// false when path is no executable file or the start failed before the program ran.
bool StartDetached(const std::string& path);

} // namespace orv
