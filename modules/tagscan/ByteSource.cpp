#include "modules/tagscan/ByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

std::unique_ptr<TFileSource> TFileSource::Open(const std::string& path) {
    // Without O_NONBLOCK a fifo named as the playing file would block the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TFileSource>(new TFileSource(fd, static_cast<uint64_t>(st.st_size)));
}

TFileSource::~TFileSource() { ::close(fd_); }

std::string TFileSource::Read(uint64_t offset, size_t n) {
    std::string bytes;
    if (offset >= size_) return bytes;
    if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
    bytes.resize(n);
    size_t done = 0;
    while (done < n) {
        const ssize_t got =
            ::pread(fd_, bytes.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break; // the file shrank or cannot be read: what there is
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace orv
