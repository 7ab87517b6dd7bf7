#include "base/SharedMemory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orv {

namespace {

void* MapFd(int fd, size_t size, int protection) {
    void* data = ::mmap(nullptr, size, protection, MAP_SHARED, fd, 0);
    ::close(fd);
    return data == MAP_FAILED ? nullptr : data;
}

} // namespace

std::string SharedBlockName(std::string_view name) {
    std::string full = "/";
    full += name;
    if (const char* suffix = std::getenv("ORVANTA3_SHM_SUFFIX")) full += suffix;
    return full;
}

std::unique_ptr<TSharedBlock> TSharedBlock::Create(std::string_view name, size_t size,
                                                   bool zeroFill) {
    const std::string path = SharedBlockName(name);
    // A block of that name is removed first when it is this user's (one left behind by a
    // program that crashed); one of another user stays, and then the new one cannot be made.
    ::shm_unlink(path.c_str());
    const int fd = ::shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        ::shm_unlink(path.c_str());
        return nullptr;
    }
    void* data = MapFd(fd, size, PROT_READ | PROT_WRITE);
    if (!data) return nullptr;
    if (zeroFill) std::memset(data, 0, size);
    return std::unique_ptr<TSharedBlock>(new TSharedBlock(data, size));
}

std::unique_ptr<TSharedBlock> TSharedBlock::Open(std::string_view name, size_t size,
                                                 TAccess access) {
    const std::string path = SharedBlockName(name);
    const bool write = access == TAccess::ReadWrite;
    const int fd = ::shm_open(path.c_str(), write ? O_RDWR : O_RDONLY, 0);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0 || static_cast<size_t>(st.st_size) < size) {
        ::close(fd);
        return nullptr;
    }
    void* data = MapFd(fd, size, write ? PROT_READ | PROT_WRITE : PROT_READ);
    if (!data) return nullptr;
    return std::unique_ptr<TSharedBlock>(new TSharedBlock(data, size));
}

std::optional<TBlockFile> TBlockFile::Open(std::string_view name, std::string& refusal) {
    refusal.clear();
    const std::string path = SharedBlockName(name);
    const int fd = ::shm_open(path.c_str(), O_RDONLY | O_NOFOLLOW, 0);
    if (fd < 0) return std::nullopt;
    TBlockFile file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    if (st.st_uid != ::geteuid())
        refusal = "The shared block /dev/shm" + path + " belongs to another user: it is not read";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        refusal =
            "The shared block /dev/shm" + path + " may be written by other users: it is not read";
    if (!refusal.empty()) return std::nullopt;
    return file;
}

TBlockFile::TBlockFile(TBlockFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TBlockFile& TBlockFile::operator=(TBlockFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

TBlockFile::~TBlockFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool TBlockFile::Read(void* into, size_t size) const {
    struct stat st {};
    // A name removed meanwhile (st_nlink 0) is a block its writer gave up.
    if (::fstat(fd_, &st) != 0 || st.st_nlink == 0) return false;
    auto* bytes = static_cast<char*>(into);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, bytes + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void TSharedBlock::Remove(std::string_view name) { ::shm_unlink(SharedBlockName(name).c_str()); }

TSharedBlock::~TSharedBlock() { ::munmap(data_, size_); }

} // namespace orv
