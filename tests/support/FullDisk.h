// A file system that fills up on demand, for the tests of what a full disk must not lose. The
// check runs in a child process on a small tmpfs of its own, mounted in a private user and mount
// namespace; where the machine does not allow that, on a folder under a file-size limit
// (RLIMIT_FSIZE), whose writes then fail with EFBIG instead of ENOSPC.
#pragma once

#include "tests/support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orv::test {

// check(folder, fill): writes what must survive into folder, calls fill, then tries the writes
// that must fail; returns what went wrong, or "" when nothing did.
using TFullDiskCheck =
    std::function<std::string(const std::string& folder, const std::function<void()>& fill)>;

struct TFullDiskRun {
    std::string how;     // "tmpfs" or "file-size limit"; empty when neither could be set up
    std::string failure; // what the check found wrong
};

namespace full_disk {

inline bool WriteProcFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// In the child: a 256 KiB tmpfs at folder, seen by this process alone.
inline bool MountSmallTmpfs(const std::string& folder) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           WriteProcFile("/proc/self/setgroups", "deny") &&
           WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") &&
           ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") == 0;
}

// Fills the file system of folder with one file until a write fails.
inline void FillUp(const std::string& folder) {
    const int fd = ::open((folder + "/.filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(4096, 'x');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
    // The last partial page as well.
    while (fd >= 0 && ::write(fd, "x", 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
}

// Runs check in a child; nullopt-like empty how when the child could not set its disk up.
inline TFullDiskRun RunChild(const std::string& folder, bool tmpfs, const TFullDiskCheck& check) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string failure;
        if (tmpfs) {
            if (!MountSmallTmpfs(folder)) ::_exit(77);
            failure = check(folder, [&] { FillUp(folder); });
        } else {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
            failure = check(folder, [] {
                const rlimit none{0, 0};
                ::setrlimit(RLIMIT_FSIZE, &none);
            });
        }
        const bool sent = ::write(pipeFds[1], failure.data(), failure.size()) >= 0;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string failure;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        failure.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failure += "the check ended abnormally (wait status " + std::to_string(status) + ")";
    return {tmpfs ? "tmpfs" : "file-size limit", failure};
}

} // namespace full_disk

// Runs check on a tmpfs of its own, else under a file-size limit, in folders below scratch.
inline TFullDiskRun RunOnFullDisk(const TempDir& scratch, const TFullDiskCheck& check) {
    const std::string mountPoint = scratch / "tmpfs";
    std::filesystem::create_directories(mountPoint);
    TFullDiskRun run = full_disk::RunChild(mountPoint, true, check);
    if (!run.how.empty()) return run;
    const std::string limited = scratch / "limited";
    std::filesystem::create_directories(limited);
    return full_disk::RunChild(limited, false, check);
}

} // namespace orv::test
