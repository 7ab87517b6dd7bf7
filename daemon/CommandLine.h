// The command line of orvanta3d.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orv {

enum class TTtyMode { Off, Text, Dots };

struct TDaemonOptions {
    std::string jobPath;            // empty: "Job name" of the settings
    std::optional<int> seconds;     // run time; none: until SIGINT or SIGTERM
    TTtyMode tty = TTtyMode::Off;
    std::string configPath;         // empty: Orvanta3.ini in the documents folder
    bool verbose = false;           // the trace of modules and tags on standard error
    bool help = false;
    bool version = false;
};

// The options, or the one-line reason why the command line is wrong.
std::variant<TDaemonOptions, std::string> ParseDaemonCommandLine(const std::vector<std::string>& args);

extern const char* const kDaemonUsage;

} // namespace orv
