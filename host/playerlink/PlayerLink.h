// The program's link to the media players: it owns the shared block ZoomPlayerData, created
// zero-filled before the modules load and removed at exit, and keeps it filled with what the
// followed MPRIS player reports. Without a session bus the block stays as created.
#pragma once

#include "abi/MediaBlocks.h"
#include "base/SharedMemory.h"
#include "host/playerlink/MprisWatcher.h"

#include <memory>

namespace orv {

class TPlayerLink {
public:
    TPlayerLink();
    ~TPlayerLink();
    TPlayerLink(const TPlayerLink&) = delete;
    TPlayerLink& operator=(const TPlayerLink&) = delete;

    // False when the block could not be created; the program then runs without the link.
    bool HasBlock() const { return block_ != nullptr; }
    // What the exported Orvanta3PlayerLookAgain does for the running link.
    bool LookAgain();

private:
    void Publish(const TPlayerState& state);

    std::unique_ptr<TSharedBlock> block_;
    std::unique_ptr<TMprisWatcher> watcher_;
};

} // namespace orv
