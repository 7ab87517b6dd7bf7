// The file sources: each file read whole up to its bound, again as soon as inotify reports a
// write to it or a file renamed onto its name, and in any case once per its period.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orv {

struct TWatchedFile {
    std::string Path; // UTF-8
    int32_t PeriodSec = 10;
    size_t MaxBytes = 4096;
};

// At most maxBytes from the start of the file; nullopt when it cannot be read.
std::optional<std::string> ReadFileStart(const std::string& path, size_t maxBytes);

// Reads every file at once and then whenever it is due, handing each read to deliver (index
// into files, the text or nullopt); returns when stop is requested.
void WatchFiles(const std::vector<TWatchedFile>& files,
                const std::function<void(size_t, std::optional<std::string>)>& deliver,
                std::stop_token stop);

} // namespace orv
