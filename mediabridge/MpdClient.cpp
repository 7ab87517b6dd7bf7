#include "mediabridge/MpdClient.h"

#include "host/playerlink/PlayerState.h"

#include <mpd/client.h>

namespace orv {

namespace {

constexpr unsigned kTimeoutMs = 3000;

TMpdTrack::TState StateOf(mpd_state state) {
    switch (state) {
    case MPD_STATE_PLAY: return TMpdTrack::TState::Playing;
    case MPD_STATE_PAUSE: return TMpdTrack::TState::Paused;
    default: return TMpdTrack::TState::Stopped;
    }
}

} // namespace

TMpdClient::TMpdClient(std::string musicDirectory)
    : configuredMusicDirectory_(std::move(musicDirectory)) {}

TMpdClient::~TMpdClient() { Disconnect(); }

void TMpdClient::Disconnect() {
    if (connection_) mpd_connection_free(connection_);
    connection_ = nullptr;
    track_ = {};
}

int TMpdClient::Fd() const { return connection_ ? mpd_connection_get_fd(connection_) : -1; }

bool TMpdClient::Connect() {
    Disconnect();
    connection_ = mpd_connection_new(nullptr, 0, kTimeoutMs);
    if (!connection_) {
        lastError_ = "out of memory";
        return false;
    }
    if (mpd_connection_get_error(connection_) != MPD_ERROR_SUCCESS) {
        lastError_ = mpd_connection_get_error_message(connection_);
        Disconnect();
        return false;
    }
    const mpd_settings* settings = mpd_connection_get_settings(connection_);
    const char* password = settings ? mpd_settings_get_password(settings) : nullptr;
    if (password && !mpd_run_password(connection_, password)) {
        lastError_ = mpd_connection_get_error_message(connection_);
        Disconnect();
        return false;
    }
    musicDirectory_ = MusicDirectoryFromServer();
    if (musicDirectory_.empty()) musicDirectory_ = configuredMusicDirectory_;
    if (!QueryAndIdle()) {
        lastError_ = "the connection was lost";
        return false;
    }
    return true;
}

// "config" answers only clients on a local socket; others get an error, which is cleared.
std::string TMpdClient::MusicDirectoryFromServer() {
    std::string directory;
    if (!mpd_send_command(connection_, "config", nullptr)) return directory;
    if (mpd_pair* pair = mpd_recv_pair_named(connection_, "music_directory")) {
        directory = pair->value;
        mpd_return_pair(connection_, pair);
    }
    if (!mpd_response_finish(connection_)) mpd_connection_clear_error(connection_);
    return directory;
}

std::string TMpdClient::FullPath(const char* uri) const {
    const std::string text = uri ? uri : "";
    if (text.find("://") != std::string::npos) return FileUrlToPath(text);
    if (text.starts_with('/') || musicDirectory_.empty()) return text;
    return musicDirectory_ + (musicDirectory_.ends_with('/') ? "" : "/") + text;
}

bool TMpdClient::QueryAndIdle() {
    mpd_status* status = mpd_run_status(connection_);
    if (!status) {
        Disconnect();
        return false;
    }
    TMpdTrack track;
    track.State = StateOf(mpd_status_get_state(status));
    track.ElapsedMs = mpd_status_get_elapsed_ms(status);
    track.LengthSec = mpd_status_get_total_time(status);
    mpd_status_free(status);

    mpd_song* song = mpd_run_current_song(connection_);
    if (song) {
        track.HasSong = true;
        track.Path = FullPath(mpd_song_get_uri(song));
        if (track.LengthSec == 0) track.LengthSec = mpd_song_get_duration(song);
        mpd_song_free(song);
    }
    if (mpd_connection_get_error(connection_) != MPD_ERROR_SUCCESS ||
        !mpd_send_idle_mask(connection_, static_cast<mpd_idle>(MPD_IDLE_PLAYER | MPD_IDLE_QUEUE))) {
        Disconnect();
        return false;
    }
    track_ = std::move(track);
    return true;
}

bool TMpdClient::OnReadable() {
    if (!connection_) return false;
    mpd_recv_idle(connection_, false);
    if (mpd_connection_get_error(connection_) != MPD_ERROR_SUCCESS) {
        Disconnect();
        return false;
    }
    return QueryAndIdle();
}

} // namespace orv
