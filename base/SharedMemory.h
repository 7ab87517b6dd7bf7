// Named blocks of POSIX shared memory (shm_open), the Linux form of the named file mappings
// through which the program, its modules and outside programs exchange player data.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// "/" + name, followed by $ORVANTA3_SHM_SUFFIX when that is set (tests use it to keep their
// blocks apart from the user's and from each other).
std::string SharedBlockName(std::string_view name);

// One mapped view of a block. The mapping stays valid until the object is destroyed, also when
// the block's name is removed meanwhile.
class TSharedBlock {
public:
    enum class TAccess { ReadOnly, ReadWrite };

    // Creates the block anew (a block of that name that is this user's is removed first), sizes
    // it to size bytes and maps it read-write; zeroFill clears it. nullptr when that is not
    // possible (for example a block of that name owned by another user).
    static std::unique_ptr<TSharedBlock> Create(std::string_view name, size_t size, bool zeroFill);
    // Maps an existing block; nullptr when there is none or it is smaller than size (mapping
    // past its end would fault on access).
    static std::unique_ptr<TSharedBlock> Open(std::string_view name, size_t size, TAccess access);
    // Removes the name; views already mapped stay usable.
    static void Remove(std::string_view name);

    ~TSharedBlock();
    TSharedBlock(const TSharedBlock&) = delete;
    TSharedBlock& operator=(const TSharedBlock&) = delete;

    void* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    TSharedBlock(void* data, size_t size) : data_(data), size_(size) {}
    void* data_;
    size_t size_;
};

// A block read through its descriptor rather than a mapping: it never faults, also when its
// writer shrinks it, removes it or puts another in its place.
class TBlockFile {
public:
    // The block of that name when it is there and safe to read: nullopt without a block, and
    // with the reason (for the user) in refusal when it belongs to another user or others may
    // write it.
    static std::optional<TBlockFile> Open(std::string_view name, std::string& refusal);
    TBlockFile(TBlockFile&& other) noexcept;
    TBlockFile& operator=(TBlockFile&& other) noexcept;
    ~TBlockFile();

    // Copies the first size bytes; false when the block holds fewer now or its name was removed.
    bool Read(void* into, size_t size) const;

private:
    explicit TBlockFile(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace orv
