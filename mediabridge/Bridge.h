// The bridge's loop: follows MPD (or, while no MPD answers, the first MPRIS player on the
// session bus) and keeps OrvantaMP3Data up to date. While MPD plays it publishes about 20
// times a second (position, spectrum and levels from the fifo); otherwise only when something
// changes. MPD that goes away is looked for again with a growing pause (0.5 s up to 5 s).
#pragma once

#include "mediabridge/BridgeOptions.h"

namespace orv {

class TMp3Publisher;

// Runs until stopFd becomes readable.
void RunBridge(const TBridgeOptions& options, TMp3Publisher& publisher, int stopFd);

} // namespace orv
