#include "modules/common/SourceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace orv {

void TSourceFile::Open(std::string path) {
    Close();
    path_ = std::move(path);
}

void TSourceFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    hasCopy_ = false;
    text_.clear();
}

bool TSourceFile::Read() {
    text_.clear();
    hasCopy_ = false;
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return false;
        struct statfs fs {};
        reportsChanges_ = ::fstatfs(fd_, &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
    }
    // Files of /proc report a size of 0: read until the end whatever fstat says.
    size_t used = 0;
    text_.resize(4096);
    for (;;) {
        if (used == text_.size()) text_.resize(text_.size() * 2);
        const ssize_t n =
            ::pread(fd_, text_.data() + used, text_.size() - used, static_cast<off_t>(used));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            text_.clear();
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    text_.resize(used);
    hasCopy_ = true;
    return true;
}

bool TSourceFile::ReadIfOlder(uint64_t nowMs, uint64_t maxAgeMs) {
    if (hasCopy_ && nowMs >= copyMs_ && nowMs - copyMs_ <= maxAgeMs) return true;
    if (!Read()) return false;
    copyMs_ = nowMs;
    return true;
}

bool TSourceFile::Changed() {
    if (fd_ < 0 || !reportsChanges_) return true;
    pollfd entry{.fd = fd_, .events = POLLPRI, .revents = 0};
    if (::poll(&entry, 1, 0) < 0) return true;
    return (entry.revents & (POLLPRI | POLLERR)) != 0;
}

} // namespace orv
