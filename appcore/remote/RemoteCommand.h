// orvanta3ctl: the command line and the call it makes on the remote-control interface
// (RemoteNames.h).
#pragma once

#include "engine/Navigation.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace orv {

using TNavigateCall = TNavigationRequest;

struct TCharsetCall {
    int32_t Request = 0;
    std::string Text; // UTF-8, as on the bus
};

struct TShowCall {
    bool Dots = false; // the panel's dot matrix instead of the text
};
struct TStatusCall {};
struct TReloadCall {};

struct TRemoteHelp {};

using TRemoteCommand =
    std::variant<TNavigateCall, TCharsetCall, TShowCall, TStatusCall, TReloadCall, TRemoteHelp>;

// The command, or the one-line reason why the arguments are wrong.
std::variant<TRemoteCommand, std::string>
ParseRemoteCommandLine(const std::vector<std::string>& args);

extern const char* const kRemoteUsage;

// Sends the request to the program on the session bus. Empty when the program took it, output
// (if given) then holding what show and status print (UTF-8 lines); else one line saying why
// not (no session bus, no program answering, a reload that failed).
std::string SendRemoteCommand(const TRemoteCommand& command, std::string* output = nullptr);

// The lines show prints for a frame: rows as the terminal mirror draws them (text, or the dot
// matrix with the custom characters given, 8 bytes each, empty for a slot not loaded).
std::string RenderRemoteFrame(const std::vector<std::string>& rows,
                              const std::vector<std::string>& customChars, bool dots);

} // namespace orv
