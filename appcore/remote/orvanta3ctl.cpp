// orvanta3ctl: flips the screens of the running orvanta3 or orvanta3d, or loads custom
// characters on its panel, through the session bus; for keyboard shortcuts and scripts.
#include "appcore/remote/RemoteCommand.h"

#include <cstdio>

using namespace orv;

int main(int argc, char** argv) {
    const auto parsed = ParseRemoteCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "orvanta3ctl: %s\n%s", error->c_str(), kRemoteUsage);
        return 2;
    }
    const TRemoteCommand& command = std::get<TRemoteCommand>(parsed);
    if (std::holds_alternative<TRemoteHelp>(command)) {
        std::fputs(kRemoteUsage, stdout);
        return 0;
    }
    const std::string failure = SendRemoteCommand(command);
    if (failure.empty()) return 0;
    std::fprintf(stderr, "orvanta3ctl: %s\n", failure.c_str());
    return 1;
}
