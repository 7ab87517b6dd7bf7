// The bridge's connection to MPD through libmpdclient. The server is found as MPD's own clients
// find it: MPD_HOST (a host name, an address or a socket path, optionally preceded by
// "password@") and MPD_PORT, else the local default. Between queries the connection waits in
// "idle" for player and queue events, so MPD tells the bridge what changed instead of being
// polled.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct mpd_connection;

namespace orv {

// What MPD plays.
struct TMpdTrack {
    enum class TState { Stopped, Playing, Paused } State = TState::Stopped;
    bool HasSong = false;
    uint64_t ElapsedMs = 0; // at the moment of the query
    uint32_t LengthSec = 0;
    std::string Path; // the song's file with the music directory in front when it is known (UTF-8)
};

class TMpdClient {
public:
    // musicDirectory: used when MPD does not tell its own (it tells only local clients).
    explicit TMpdClient(std::string musicDirectory);
    ~TMpdClient();
    TMpdClient(const TMpdClient&) = delete;
    TMpdClient& operator=(const TMpdClient&) = delete;

    // Connects, logs in with the password of MPD_HOST and queries; false when MPD does not
    // answer (within a few seconds).
    bool Connect();
    bool Connected() const { return connection_ != nullptr; }
    // The socket to wait on while idle; -1 when not connected.
    int Fd() const;
    // Finishes the idle after the socket became readable and queries again; false when the
    // connection is lost.
    bool OnReadable();
    const TMpdTrack& Track() const { return track_; }
    // The error of the last failed Connect, for the bridge's message.
    const std::string& LastError() const { return lastError_; }

private:
    bool QueryAndIdle();
    void Disconnect();
    std::string MusicDirectoryFromServer();
    std::string FullPath(const char* uri) const;

    std::string configuredMusicDirectory_;
    std::string musicDirectory_;
    mpd_connection* connection_ = nullptr;
    TMpdTrack track_;
    std::string lastError_;
};

} // namespace orv
