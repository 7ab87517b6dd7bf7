// One run of a source's command: the program started directly (no shell unless the command
// names one) with a clean environment, its output kept up to a bound, killed at its time-out.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A command line split into words: blanks separate them, single quotes keep everything up to
// the next one, double quotes keep everything but a backslash before '"' or '\'; outside
// quotes a backslash keeps the next character. nullopt for an unclosed quote.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

enum class TRunEnd { Exited, Failed, TimedOut, NotStarted, Stopped };

struct TCommandRun {
    TRunEnd End = TRunEnd::NotStarted;
    int ExitCode = -1;      // for Exited and Failed
    std::string Output;     // standard output, at most maxBytes
    bool Truncated = false; // more output came than was kept
};

// Runs words[0] (looked up in the clean PATH unless it holds a '/') with words[1..] in folder
// (empty: the current one). Standard input is /dev/null, standard error is dropped. The child
// and everything it starts (its process group) are killed at the time-out or when stop is
// requested. Output beyond maxBytes is not read; a child that dies of the closed pipe then
// still counts as exited.
TCommandRun RunCommand(const std::vector<std::string>& words, const std::string& folder,
                       int32_t timeoutMs, size_t maxBytes, std::stop_token stop);

} // namespace orv
