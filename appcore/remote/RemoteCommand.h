// orvanta3ctl: the command line and the call it makes on the remote-control interface
// (RemoteNames.h).
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace orv {

struct TNavigateCall {
    int32_t WParam = 0;
    int32_t LParam = 0;
};

struct TCharsetCall {
    int32_t Request = 0;
    std::string Text; // UTF-8, as on the bus
};

struct TRemoteHelp {};

using TRemoteCommand = std::variant<TNavigateCall, TCharsetCall, TRemoteHelp>;

// The command, or the one-line reason why the arguments are wrong.
std::variant<TRemoteCommand, std::string> ParseRemoteCommandLine(
    const std::vector<std::string>& args);

extern const char* const kRemoteUsage;

// Sends a navigation or character request to the program on the session bus. Empty when the
// program took it; else one line saying why not (no session bus, no program answering).
std::string SendRemoteCommand(const TRemoteCommand& command);

} // namespace orv
