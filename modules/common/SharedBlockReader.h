// Read access to a shared block that another program writes (MediaBlocks.h): opened on first
// use, and looked for again on later calls while it does not exist yet. The block is copied
// through its descriptor, so a block that shrinks, vanishes or is replaced reads as no block (and
// is looked for again) rather than faulting; a block of another user, or one others may write,
// is refused with one message.
#pragma once

#include "abi/MediaBlocks.h"
#include "base/MessageBox.h"
#include "base/SharedMemory.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv {

template <typename Block> class TSharedBlockReader {
public:
    explicit TSharedBlockReader(std::string_view name) : name_(name) {}

    // A copy of the whole block, or nullopt while there is no such block to read.
    std::optional<Block> Snapshot() {
        if (!file_) {
            std::string refusal;
            file_ = TBlockFile::Open(name_, refusal);
            if (!refusal.empty() && refusal != refusal_) ShowMessage(refusal, "Orvanta3", 0);
            refusal_ = std::move(refusal);
        }
        if (!file_) return std::nullopt;
        Block copy;
        if (file_->Read(&copy, sizeof copy)) return copy;
        file_.reset();
        return std::nullopt;
    }

private:
    std::string_view name_;
    std::optional<TBlockFile> file_;
    std::string refusal_; // the last refusal said, so that it is said once
};

} // namespace orv
