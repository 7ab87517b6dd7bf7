// Shared blocks of the test's own: a suffix for their names (ORVANTA3_SHM_SUFFIX) that no other
// test and no program of the user shares, and the blocks removed when the test ends.
#pragma once

#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <string>
#include <unistd.h>

namespace orv::test {

class TPrivateBlocks {
public:
    TPrivateBlocks() : suffix_(NewSuffix()), env_("ORVANTA3_SHM_SUFFIX", suffix_) {}
    ~TPrivateBlocks() {
        TSharedBlock::Remove(kZoomPlayerDataName);
        TSharedBlock::Remove(kMp3DataName);
    }
    const std::string& Suffix() const { return suffix_; }

private:
    static std::string NewSuffix() {
        static std::atomic<int> count{0};
        return ".test-" + std::to_string(::getpid()) + "-" + std::to_string(++count);
    }
    std::string suffix_;
    ScopedEnv env_;
};

} // namespace orv::test
