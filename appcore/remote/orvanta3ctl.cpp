// orvanta3ctl: flips the screens of the running orvanta3 or orvanta3d, loads custom characters
// on its panel, shows what the panel shows, reports the status and reloads the settings and the
// job, through the session bus; for keyboard shortcuts, scripts and ssh sessions.
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
    std::string output;
    const std::string failure = SendRemoteCommand(command, &output);
    if (failure.empty()) {
        std::fputs(output.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "orvanta3ctl: %s\n", failure.c_str());
    return 1;
}
