// Where the tag reader gets its bytes: a file read with pread, or bytes in memory (tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orv {

class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Up to n bytes from offset: fewer at the end of the data, none past it.
    virtual std::string Read(uint64_t offset, size_t n) = 0;
};

class TFileSource final : public TByteSource {
public:
    // nullptr when path is no regular file that can be opened for reading.
    static std::unique_ptr<TFileSource> Open(const std::string& path);
    ~TFileSource() override;
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;

    uint64_t Size() const override { return size_; }
    std::string Read(uint64_t offset, size_t n) override;

private:
    TFileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    uint64_t size_;
};

} // namespace orv
