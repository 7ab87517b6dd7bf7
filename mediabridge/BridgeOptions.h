// The command line of orvanta3-mpd.
#pragma once

#include "mediabridge/FifoReader.h"

#include <string>
#include <variant>
#include <vector>

namespace orv {

struct TBridgeOptions {
    std::string FifoPath = "/tmp/mpd.fifo";
    TFifoFormat FifoFormat;
    std::string MusicDirectory; // when MPD does not tell its own
};

struct TBridgeHelp {
    std::string Text;
};
struct TBridgeError {
    std::string Message;
};

// Options, the text of --help or --version, or what is wrong with the command line.
std::variant<TBridgeOptions, TBridgeHelp, TBridgeError>
ParseBridgeCommandLine(const std::vector<std::string>& args);

} // namespace orv
