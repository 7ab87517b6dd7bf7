// The test program's own Orvanta3MessageBox: it records what drivers and modules show. A test
// program that links it sets ENABLE_EXPORTS so that plug-ins find the export.
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
