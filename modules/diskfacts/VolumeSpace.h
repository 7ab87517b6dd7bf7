// The size and free space of a mounted file system, asked so that one that does not answer (a
// dead network mount) cannot hold up the display thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orv {

struct TVolumeSpace {
    uint64_t TotalBytes = 0;
    uint64_t FreeBytes = 0; // all free blocks, not only those the caller may use
};

// Fills the size and free bytes of the file system at path; false when it cannot tell.
using TSpaceQueryFunc = bool (*)(const char* path, uint64_t* totalBytes, uint64_t* freeBytes);

// statvfs: f_blocks and f_bfree in units of f_frsize.
bool StatvfsSpace(const char* path, uint64_t* totalBytes, uint64_t* freeBytes);

class TVolumeSpaceQuery {
public:
    explicit TVolumeSpaceQuery(std::chrono::milliseconds timeLimit) : timeLimit_(timeLimit) {}

    void SetQuery(TSpaceQueryFunc query) { query_ = query ? query : StatvfsSpace; }

    // A file system that may hang is asked in a helper thread, waited for at most the time
    // limit; while a query has not come back the path answers at once with its last answer
    // (nullopt before the first), and the next call after it came back starts a new one.
    // Others are asked directly.
    std::optional<TVolumeSpace> Ask(const std::string& path, bool mayHang);

private:
    struct TPending;
    void Remember(const std::string& path, const TPending& pending);
    std::optional<TVolumeSpace> LastAnswer(const std::string& path) const;

    std::chrono::milliseconds timeLimit_;
    TSpaceQueryFunc query_ = StatvfsSpace;
    std::map<std::string, std::shared_ptr<TPending>> late_;
    std::map<std::string, TVolumeSpace> lastAnswer_; // of file systems that may hang
};

} // namespace orv
