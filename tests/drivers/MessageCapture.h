// The test program's own Orvanta3MessageBox: it records what the drivers show.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace orv::test {

struct TShownMessage {
    std::string text;
    std::string caption;
    int flags;
};

std::vector<TShownMessage> ShownMessages();
void ClearShownMessages();

} // namespace orv::test
