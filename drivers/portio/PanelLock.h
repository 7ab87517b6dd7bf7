// Advisory locks that keep two programs from driving one panel at once (their writes would
// interleave and garble it). A port holds its lock from opening to closing: an flock on the
// ppdev device itself, or on a lock file (beside an emulator's state file, or per address for
// direct I/O) that also records the holder's process id for the refusal message and is removed
// when the lock is let go.
#pragma once

#include <memory>
#include <string>

namespace orv {

class TPanelLock {
public:
    // Locks the file lockFile, creating it when missing. nullptr and the reason in error when
    // another holder has it (the message names panel) or the file cannot be opened.
    static std::unique_ptr<TPanelLock> Acquire(const std::string& lockFile,
                                               const std::string& panel, std::string& error);
    ~TPanelLock();
    TPanelLock(const TPanelLock&) = delete;
    TPanelLock& operator=(const TPanelLock&) = delete;

private:
    TPanelLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// Locks an open device for as long as fd stays open; false and the reason in error when
// another holder has it (the message names panel).
bool LockPanelDevice(int fd, const std::string& panel, std::string& error);

} // namespace orv
