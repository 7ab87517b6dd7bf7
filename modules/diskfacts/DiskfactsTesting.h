// The test hook of diskfacts, exported beside getPlugin; the host never looks it up. Besides
// it, diskfacts exports the shared hook of SystemTree.h (a fake mount table and /dev).
#pragma once

#include "modules/diskfacts/VolumeSpace.h"

// Replaces statvfs (null: statvfs again).
using TDiskfactsSetSpaceQueryFunc = void (*)(orv::TSpaceQueryFunc query);
constexpr const char* kDiskfactsSetSpaceQueryExport = "DiskfactsSetSpaceQueryForTesting";
