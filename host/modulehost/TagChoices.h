// What the tag parameter editor offers besides its fixed lists: the tag names of the data
// modules that are on and, as ready-made arguments, the drives of the drives module and the
// sources of the user values module when they are on.
#pragma once

#include "host/modulehost/ModuleCatalogue.h"

#include <string>
#include <vector>

namespace orv {

struct TDriveChoice {
    std::string Caption; // "/home [data]" (Windows-1251)
    int Number = 0;      // the drive's number as the drive tags take it
};

struct TSourceChoice {
    std::string Argument; // the source's name, else its number (Windows-1251)
};

struct TTagChoices {
    std::vector<std::string> TagNames;  // "$time", ... in table order, then each module's order
    std::vector<TDriveChoice> Drives;   // empty unless a module that is on declares the drive tags
    std::vector<TSourceChoice> Sources; // the sources "$userValue" takes, in the settings' order
};

// Asks the drives module (the one that declares "$driveEnum") for its drives: their number,
// mount point and label; and the user values module ("$userValueEnum") for its sources.
TTagChoices ReadTagChoices(TModuleCatalogue& catalogue);

} // namespace orv
