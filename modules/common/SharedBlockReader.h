// Read access to a shared block that another program writes (MediaBlocks.h): mapped read-only
// on first use, and looked for again on later calls while it does not exist yet.
#pragma once

#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"

#include <memory>
#include <optional>
#include <string_view>

namespace orv {

template <typename Block> class TSharedBlockReader {
public:
    explicit TSharedBlockReader(std::string_view name) : name_(name) {}

    // A copy of the whole block, or nullopt while there is no such block.
    std::optional<Block> Snapshot() {
        if (!view_)
            view_ = TSharedBlock::Open(name_, sizeof(Block), TSharedBlock::TAccess::ReadOnly);
        if (!view_) return std::nullopt;
        return SnapshotOf<Block>(view_->Data());
    }

private:
    std::string_view name_;
    std::unique_ptr<TSharedBlock> view_;
};

} // namespace orv
