// What an emulated panel shows: the rows of its state file (ORVANTA3_PORTIO=emu:...), read
// while a program drives it.
#pragma once

#include "tests/support/TempDir.h"

#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace orv::test {

// The panel rows of the state file, between their '|' marks.
inline std::vector<std::string> PanelRows(const std::string& stateFile) {
    std::vector<std::string> rows;
    std::istringstream in(ReadText(stateFile));
    std::string line;
    while (std::getline(in, line))
        if (line.size() >= 2 && line.front() == '|' && line.back() == '|')
            rows.push_back(line.substr(1, line.size() - 2));
    return rows;
}

// Polls the state file (for up to a minute) until the panel rows satisfy shows; idle runs
// between two looks (by default a pause of 100 ms).
inline bool WaitForPanel(const std::string& stateFile,
                         const std::function<bool(const std::vector<std::string>&)>& shows,
                         const std::function<void()>& idle = {}) {
    for (int i = 0; i < 600; ++i) {
        if (shows(PanelRows(stateFile))) return true;
        if (idle)
            idle();
        else
            ::usleep(100000);
    }
    return false;
}

} // namespace orv::test
