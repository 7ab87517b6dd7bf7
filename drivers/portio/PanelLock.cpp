#include "drivers/portio/PanelLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

std::string InUse(const std::string& panel, const std::string& holder) {
    return panel + " is already driven by another program" + holder + "; end that program first";
}

bool LockExclusive(int fd) {
    int result;
    do result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// " (process N)" from a lock file, or "".
std::string RecordedHolder(int fd) {
    char text[24] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return {};
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string();
}

} // namespace

std::unique_ptr<TPanelLock> TPanelLock::Acquire(const std::string& lockFile,
                                                const std::string& panel, std::string& error) {
    // The holder removes the file when it lets go; a lock taken on a file removed meanwhile is
    // no lock, so it is taken again on the file now at the path.
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A lock file another user created may be read-only for us; flock works on either.
        bool writable = true;
        int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno == EACCES) {
            writable = false;
            fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        }
        if (fd < 0) {
            error = "cannot create the lock file " + lockFile + ": " + std::strerror(errno);
            return nullptr;
        }
        if (!LockExclusive(fd)) {
            error = errno == EWOULDBLOCK ? InUse(panel, RecordedHolder(fd))
                                         : "cannot lock " + lockFile + ": " + std::strerror(errno);
            ::close(fd);
            return nullptr;
        }
        struct stat locked {
        }, current{};
        if (::fstat(fd, &locked) != 0 || ::stat(lockFile.c_str(), &current) != 0 ||
            locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) {
            ::close(fd);
            continue;
        }
        if (writable) {
            const std::string pid = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
                // The lock holds without the record; only a refusal loses the process id.
            }
        }
        return std::unique_ptr<TPanelLock>(new TPanelLock(fd, lockFile));
    }
    error = "cannot lock " + lockFile + ": it keeps being replaced";
    return nullptr;
}

TPanelLock::~TPanelLock() {
    ::unlink(path_.c_str()); // still locked: nobody holds a lock on the removed file
    ::close(fd_);
}

bool LockPanelDevice(int fd, const std::string& panel, std::string& error) {
    if (LockExclusive(fd)) return true;
    error = errno == EWOULDBLOCK ? InUse(panel, "")
                                 : "cannot lock " + panel + ": " + std::strerror(errno);
    return false;
}

} // namespace orv
