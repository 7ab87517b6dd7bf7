// Follows the media players on the session bus through MPRIS (org.mpris.MediaPlayer2.*) from a
// thread of its own: players appearing and leaving (NameOwnerChanged), their playback status,
// metadata and identity (PropertiesChanged and Get calls), and the position of the followed
// player, asked for every positionInterval while it plays.
//
// The followed player is the first one that plays, else the first one present, in the order
// in which they appeared. Without a session bus the watcher reports no player and tries to
// connect again after a few seconds, then at intervals growing to a minute, and on LookAgain.
#pragma once

#include "host/playerlink/PlayerState.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace orv {

class TMprisWatcher {
public:
    // Called on the watcher's thread with the followed player whenever what it reports
    // changes, from the first time the bus is reached (never without a session bus).
    using TListener = std::function<void(const TPlayerState&)>;

    explicit TMprisWatcher(TListener listener, std::chrono::milliseconds positionInterval =
                                                   std::chrono::milliseconds(250));
    ~TMprisWatcher(); // stops the thread and waits for it
    TMprisWatcher(const TMprisWatcher&) = delete;
    TMprisWatcher& operator=(const TMprisWatcher&) = delete;

    // Asks the bus again which players there are (at most once per two seconds), or connects
    // when there is no bus yet. Returns at once; safe from any thread.
    void LookAgain();
    // A player was on the bus when the watcher last looked. Safe from any thread.
    bool PlayerPresent() const { return present_; }

private:
    class TSession;
    void Run(std::stop_token stop);
    void Wake();

    TListener listener_;
    std::chrono::milliseconds positionInterval_;
    int wakeFd_ = -1;
    std::atomic<bool> present_{false};
    std::atomic<bool> lookAgain_{false};
    std::jthread thread_;
};

} // namespace orv
