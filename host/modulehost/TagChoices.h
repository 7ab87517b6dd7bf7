// What the tag parameter editor offers besides its fixed lists: the tag names of the data
// modules that are on and, when the drives module is on, its drives as ready-made arguments.
#pragma once

#include "host/modulehost/ModuleCatalogue.h"

#include <string>
#include <vector>

namespace orv {

struct TDriveChoice {
    std::string Caption; // "/home [data]" (Windows-1251)
    int Number = 0;      // the drive's number as the drive tags take it
};

struct TTagChoices {
    std::vector<std::string> TagNames; // "$time", ... in table order, then each module's order
    std::vector<TDriveChoice> Drives;  // empty unless a module that is on declares the drive tags
};

// Asks the drives module (the one that declares "$driveEnum") for its drives: their number,
// mount point and label.
TTagChoices ReadTagChoices(TModuleCatalogue& catalogue);

} // namespace orv
