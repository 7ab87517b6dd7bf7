// One finding of a check of a settings or job file: the line it concerns and what is wrong.
#pragma once

#include <string>

namespace orv {

struct TCheckFinding {
    int Line = 0;     // 1-based line of the file; 0 when the finding concerns no line
    std::string Text; // UTF-8, one line
};

} // namespace orv
