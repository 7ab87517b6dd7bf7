// A small system file (/proc/stat, /proc/meminfo, a mount table) read whole, from its start,
// when a module asks. The file stays open between reads, which spares the kernel an open and a
// close for each of its generated files; a file that cannot be opened is looked for again at
// the next read.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

class TSourceFile {
public:
    TSourceFile() = default;
    explicit TSourceFile(std::string path) : path_(std::move(path)) {}
    ~TSourceFile() { Close(); }
    TSourceFile(const TSourceFile&) = delete;
    TSourceFile& operator=(const TSourceFile&) = delete;

    // Another file; the copy of the old one is dropped.
    void Open(std::string path);

    // Reads the file afresh; false, with an empty text, when it cannot be read.
    bool Read();
    // Reads afresh only when the copy was taken more than maxAgeMs before nowMs, or never.
    bool ReadIfOlder(uint64_t nowMs, uint64_t maxAgeMs);
    // The text of the last read.
    const std::string& Text() const { return text_; }

    // For a mount table: whether the kernel has reported a change since this was last asked.
    // A file that cannot report changes (one outside /proc, a fake tree's) always has changed.
    bool Changed();

private:
    void Close();

    std::string path_;
    int fd_ = -1;
    bool reportsChanges_ = false;
    bool hasCopy_ = false;
    uint64_t copyMs_ = 0;
    std::string text_;
};

} // namespace orv
