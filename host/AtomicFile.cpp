#include "host/AtomicFile.h"

#include "host/TextUtil.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace orv {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Reset(); }
    int get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

std::optional<std::string> ReadFd(int fd) {
    std::string data;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return data;
        data.append(buf, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReplaceWith(const std::string& path, const std::string& contents, mode_t mode) {
    std::string tmp = DirName(path) + "/." + std::string(BaseName(path)) + ".XXXXXX";
    Fd fd(::mkstemp(tmp.data()));
    if (fd.get() < 0) return false;
    const bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), contents) &&
                    ::fsync(fd.get()) == 0;
    fd.Reset();
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

// The cheap form for files that change often: a temporary name of this process and thread
// instead of a unique one, the default mode, no flush.
bool ReplaceVolatile(const std::string& path, const std::string& contents) {
    const std::string tmp = DirName(path) + "/." + std::string(BaseName(path)) + "." +
                            std::to_string(::getpid()) + "." +
                            std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0) return false;
    const bool ok = WriteAll(fd.get(), contents);
    fd.Reset();
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    return ReadFd(fd.get());
}

bool WriteFileAtomic(const std::string& path, const std::string& contents, TFileSync sync) {
    if (sync == TFileSync::Volatile) return ReplaceVolatile(path, contents);
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultMode();
    return ReplaceWith(path, contents, mode);
}

bool UpdateFileLocked(const std::string& path,
                      const std::function<std::string(const std::string&)>& change) {
    // Lock the file itself; a writer that got the lock on a file another writer has meanwhile
    // replaced tries again on the new one.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (fd.get() < 0) return false;
        while (::flock(fd.get(), LOCK_EX) != 0)
            if (errno != EINTR) return false;
        struct stat locked {}, current {};
        if (::fstat(fd.get(), &locked) != 0) return false;
        if (::stat(path.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
            current.st_dev != locked.st_dev)
            continue;
        auto old = ReadFd(fd.get());
        if (!old) return false;
        return ReplaceWith(path, change(*old), locked.st_mode & 07777);
    }
    return false;
}

} // namespace orv
