// A fake of the system's files (/sys, /proc, /run, /etc) in a temporary folder, for modules
// whose root folder a test moves there (SetSystemRootForTesting).
#pragma once

#include "tests/support/TempDir.h"

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace orv::test {

class FakeSystemTree {
public:
    const std::string& Root() const { return dir_.Path(); }
    std::string Path(const std::string& absolute) const { return Root() + absolute; }

    // Writes the file, making its folders.
    void Write(const std::string& absolute, const std::string& text) const {
        WriteText(Path(absolute), text);
    }
    void Folder(const std::string& absolute) const {
        std::filesystem::create_directories(Path(absolute));
    }
    void Remove(const std::string& absolute) const { std::filesystem::remove_all(Path(absolute)); }
    // A symbolic link at absolute to the fake file or folder target.
    void Link(const std::string& absolute, const std::string& target) const {
        std::filesystem::create_directories(std::filesystem::path(Path(absolute)).parent_path());
        std::filesystem::create_symlink(Path(target), Path(absolute));
    }
    // Sets the file's modification time to msSinceEpoch.
    bool SetModified(const std::string& absolute, uint64_t msSinceEpoch) const {
        const timespec time{static_cast<time_t>(msSinceEpoch / 1000),
                            static_cast<long>(msSinceEpoch % 1000 * 1000000)};
        const timespec times[2] = {time, time};
        return ::utimensat(AT_FDCWD, Path(absolute).c_str(), times, 0) == 0;
    }

private:
    TempDir dir_;
};

} // namespace orv::test
