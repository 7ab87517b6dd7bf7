#include "host/playerlink/PlayerLink.h"

#include "abi/ConstUnit.h"
#include "abi/LookAgain.h"
#include "host/playerlink/ZoomPlayerBlock.h"

#include <atomic>

namespace orv {

namespace {

// The link of this program, for the exported function; one at a time.
std::atomic<TPlayerLink*> gRunningLink{nullptr};

} // namespace

TPlayerLink::TPlayerLink()
    : block_(TSharedBlock::Create(kZoomPlayerDataName, sizeof(TZoomPlayerData), true)) {
    if (!block_) return;
    watcher_ =
        std::make_unique<TMprisWatcher>([this](const TPlayerState& state) { Publish(state); });
    gRunningLink = this;
}

TPlayerLink::~TPlayerLink() {
    TPlayerLink* self = this;
    gRunningLink.compare_exchange_strong(self, nullptr);
    watcher_.reset();
    if (block_) TSharedBlock::Remove(kZoomPlayerDataName);
}

bool TPlayerLink::LookAgain() {
    if (!watcher_) return false;
    watcher_->LookAgain();
    return watcher_->PlayerPresent();
}

void TPlayerLink::Publish(const TPlayerState& state) {
    auto* data = static_cast<TZoomPlayerData*>(block_->Data());
    TZoomPlayerData copy = SnapshotOf<TZoomPlayerData>(data);
    WritePlayerState(state, copy);
    *data = copy;
}

} // namespace orv

ORVANTA3_EXPORT int32_t Orvanta3PlayerLookAgain() {
    orv::TPlayerLink* link = orv::gRunningLink.load();
    return link && link->LookAgain() ? 1 : 0;
}
