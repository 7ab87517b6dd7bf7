#include "base/SharedMemory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const int fd = ::shm_open(path.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (static_cast<size_t>(st.st_size) < size &&
                                  ::ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        ::close(fd);
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

void TSharedBlock::Remove(std::string_view name) {
    ::shm_unlink(SharedBlockName(name).c_str());
}

TSharedBlock::~TSharedBlock() {
    ::munmap(data_, size_);
}

} // namespace orv
