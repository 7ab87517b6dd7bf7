#include "base/AtomicFile.h"

#include "base/TextUtil.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <utility>

namespace orv {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Reset(); }
    int get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes the file; false when the close reports a failed write (a network file system or
    // a quota may say so only now).
    bool Close() { return ::close(Release()) == 0; }

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

// Keeps errno across the clean-up after a failure.
void RemoveTemporary(const std::string& tmp) {
    const int saved = errno;
    ::unlink(tmp.c_str());
    errno = saved;
}

bool ReplaceWith(const std::string& path, const std::string& contents, mode_t mode) {
    std::string tmp = DirName(path) + "/." + std::string(BaseName(path)) + ".XXXXXX";
    Fd fd(::mkstemp(tmp.data()));
    if (fd.get() < 0) return false;
    const bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), contents) &&
                    ::fsync(fd.get()) == 0 && fd.Close();
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        RemoveTemporary(tmp);
        return false;
    }
    return true;
}

// The cheap form for files that change often: a temporary name of this process and thread
// instead of a unique one, the default mode, no flush.
bool ReplaceVolatile(const std::string& path, const std::string& contents) {
    const std::string tmp =
        DirName(path) + "/." + std::string(BaseName(path)) + "." + std::to_string(::getpid()) +
        "." + std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (fd.get() < 0) return false;
    const bool ok = WriteAll(fd.get(), contents) && fd.Close();
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        RemoveTemporary(tmp);
        return false;
    }
    return true;
}

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// "a folder", "a FIFO", ... for what is not a regular file.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "a special file";
}

std::string NotRegular(mode_t mode) { return "it is " + KindOf(mode) + ", not a regular file"; }

std::string SizeText(size_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string ErrnoText(int error) {
    if (error == ENOENT) return "it does not exist";
    return std::strerror(error);
}

// Opens a regular file for reading without blocking on a FIFO; -1 and the reason otherwise.
int OpenRegular(const std::string& path, std::string& error) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        error = ErrnoText(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotRegular(st.st_mode);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    return fd.Release();
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::string error;
    Fd fd(OpenRegular(path, error));
    if (fd.get() < 0) return std::nullopt;
    return ReadFd(fd.get());
}

std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes,
                                           std::string& error) {
    Fd fd(OpenRegular(path, error));
    if (fd.get() < 0) return std::nullopt;
    std::string data;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (n == 0) return data;
        if (data.size() + static_cast<size_t>(n) > maxBytes) {
            error = "it is larger than " + SizeText(maxBytes);
            return std::nullopt;
        }
        data.append(buf, static_cast<size_t>(n));
    }
}

std::optional<std::string> WriteTarget(const std::string& path, std::string& error) {
    constexpr int kMaxLinks = 40; // as the kernel's own limit
    std::string target = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return target;
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (S_ISREG(st.st_mode)) return target;
        if (!S_ISLNK(st.st_mode)) {
            error = target == path ? NotRegular(st.st_mode)
                                   : "its link leads to " + target + ", " + KindOf(st.st_mode) +
                                         ", not a regular file";
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return std::nullopt;
        }
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<size_t>(n) >= link.size()) {
            error = "cannot read the link " + target;
            return std::nullopt;
        }
        link.resize(static_cast<size_t>(n));
        target = link.starts_with('/') ? link : DirName(target) + "/" + link;
    }
    error = "too many levels of symbolic links";
    errno = ELOOP;
    return std::nullopt;
}

std::string FileRevision(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    return std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino) + "-" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "-" +
           std::to_string(st.st_size);
}

bool WriteFileAtomic(const std::string& path, const std::string& contents, TFileSync sync) {
    std::string error;
    const auto target = WriteTarget(path, error);
    if (!target) return false;
    if (sync == TFileSync::Volatile) return ReplaceVolatile(*target, contents);
    struct stat st {};
    const mode_t mode = ::stat(target->c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultMode();
    return ReplaceWith(*target, contents, mode);
}

TFrequentFileWriter::TFrequentFileWriter(const std::string& path) : path_(path) {
    std::string error;
    if (const auto target = WriteTarget(path, error)) {
        target_ = *target;
        spare_ = DirName(target_) + "/." + std::string(BaseName(target_)) + ".spare";
    } else {
        exchanging_ = false; // the plain way reports why at every write
    }
}

TFrequentFileWriter::~TFrequentFileWriter() {
    if (exchanging_) ::unlink(spare_.c_str());
}

// Opened by name each time, so that whatever happened to the spare meanwhile, the name holds
// what is written.
bool TFrequentFileWriter::FillSpare(const std::string& contents) {
    Fd fd(::open(spare_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (fd.get() < 0) return false;
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::pwrite(fd.get(), contents.data() + done, contents.size() - done,
                                   static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return ::ftruncate(fd.get(), static_cast<off_t>(contents.size())) == 0 && fd.Close();
}

bool TFrequentFileWriter::Write(const std::string& contents) {
    if (exchanging_ && FillSpare(contents)) {
        if (::renameat2(AT_FDCWD, spare_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0)
            return true;
        if (errno == ENOENT && ::rename(spare_.c_str(), target_.c_str()) == 0) return true;
    }
    // No spare (a read-only folder, say) or no exchange on this file system: the plain way from
    // now on, which also tells why a write fails.
    if (exchanging_ && errno != ENOENT) {
        ::unlink(spare_.c_str());
        exchanging_ = false;
    }
    return WriteFileAtomic(path_, contents, TFileSync::Volatile);
}

bool UpdateFileLocked(const std::string& path,
                      const std::function<std::string(const std::string&)>& change) {
    std::string error;
    const auto target = WriteTarget(path, error);
    if (!target) return false;
    // Lock the file itself; a writer that got the lock on a file another writer has meanwhile
    // replaced tries again on the new one.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        Fd fd(
            ::open(target->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
        if (fd.get() < 0) return false;
        while (::flock(fd.get(), LOCK_EX) != 0)
            if (errno != EINTR) return false;
        struct stat locked {
        }, current{};
        if (::fstat(fd.get(), &locked) != 0) return false;
        if (!S_ISREG(locked.st_mode)) {
            errno = EINVAL;
            return false;
        }
        if (::stat(target->c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
            current.st_dev != locked.st_dev)
            continue;
        auto old = ReadFd(fd.get());
        if (!old) return false;
        return ReplaceWith(*target, change(*old), locked.st_mode & 07777);
    }
    return false;
}

} // namespace orv
