// The command line of orvanta3d.
#pragma once

#include "appcore/TerminalMirror.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orv {

struct TDaemonOptions {
    std::string jobPath;        // empty: "Job name" of the settings
    std::optional<int> seconds; // run time; none: until SIGINT or SIGTERM
    TTtyMode tty = TTtyMode::Off;
    std::string configPath; // empty: Orvanta3.ini in the documents folder
    bool verbose = false;   // the trace of modules and tags on standard error
    bool help = false;
    bool version = false;
    // Instead of a run: list the tags or the plug-ins, check a job and the settings, or write a
    // starter settings file.
    bool listTags = false;
    bool listModules = false;
    std::string initPath; // --init: write a starter settings file there
    std::string checkJobPath;
    std::string webAddress;   // --web ADDRESS:PORT: the web interface on, there
    bool webPassword = false; // --web-password: store the web interface's password and end
};

// The options, or the one-line reason why the command line is wrong.
std::variant<TDaemonOptions, std::string>
ParseDaemonCommandLine(const std::vector<std::string>& args);

extern const char* const kDaemonUsage;

} // namespace orv
