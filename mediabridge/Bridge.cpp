#include "mediabridge/Bridge.h"

#include "host/playerlink/MprisWatcher.h"
#include "mediabridge/FifoReader.h"
#include "mediabridge/Mp3Publisher.h"
#include "mediabridge/MpdClient.h"
#include "mediabridge/SpectrumAnalyser.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <tuple>
#include <unistd.h>

namespace orv {

namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kTick(50);
constexpr milliseconds kFirstRetry(500);
constexpr milliseconds kLongestRetry(5000);
constexpr milliseconds kFifoCheck(1000);
constexpr size_t kWindowSize = 2048;

int32_t SecondsOf(int64_t microseconds) {
    return static_cast<int32_t>(std::clamp<int64_t>(microseconds / 1'000'000, 0, INT32_MAX));
}

int16_t Mp3StateOf(TPlaybackStatus status) {
    switch (status) {
    case TPlaybackStatus::Playing: return msPlaying;
    case TPlaybackStatus::Paused: return msPaused;
    case TPlaybackStatus::Stopped: break;
    }
    return msStopped;
}

void Say(const std::string& line) {
    std::fprintf(stderr, "orvanta3-mpd: %s\n", line.c_str());
    std::fflush(stderr);
}

// The MPRIS player last reported by the watcher's thread; wakes the loop on every change.
class TMprisFallback {
public:
    TMprisFallback() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        watcher_ = std::make_unique<TMprisWatcher>([this](const TPlayerState& state) {
            {
                std::lock_guard lock(mutex_);
                state_ = state;
            }
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
        });
    }
    ~TMprisFallback() {
        watcher_.reset();
        ::close(wakeFd_);
    }
    int WakeFd() const { return wakeFd_; }
    void Drain() {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
    }
    TPlayerState State() {
        std::lock_guard lock(mutex_);
        return state_;
    }

private:
    int wakeFd_;
    std::mutex mutex_;
    TPlayerState state_;
    std::unique_ptr<TMprisWatcher> watcher_;
};

// What MPD plays, elapsed after the query that told it.
TMp3Update UpdateOf(const TMpdTrack& track, TClock::duration sinceQuery) {
    TMp3Update update;
    const bool playing = track.State == TMpdTrack::TState::Playing;
    update.State = playing                                    ? msPlaying
                   : track.State == TMpdTrack::TState::Paused ? msPaused
                   : track.HasSong                            ? msStopped
                                                              : msNoMedia;
    uint64_t elapsedMs = track.ElapsedMs;
    if (playing)
        elapsedMs +=
            static_cast<uint64_t>(std::chrono::duration_cast<milliseconds>(sinceQuery).count());
    update.LengthSec = static_cast<int32_t>(std::min<uint32_t>(track.LengthSec, INT32_MAX));
    update.PositionSec = static_cast<int32_t>(std::min<uint64_t>(elapsedMs / 1000, INT32_MAX));
    if (update.LengthSec > 0) update.PositionSec = std::min(update.PositionSec, update.LengthSec);
    update.Path = track.Path;
    return update;
}

// What the MPRIS player plays; no data without one.
TMp3Update UpdateOf(const TPlayerState& player) {
    TMp3Update update;
    if (!player.Present) return update;
    update.State = Mp3StateOf(player.Status);
    update.PositionSec = SecondsOf(player.PositionUs);
    update.LengthSec = SecondsOf(player.LengthUs);
    update.Path = FileUrlToPath(player.Url);
    return update;
}

} // namespace

void RunBridge(const TBridgeOptions& options, TMp3Publisher& publisher, int stopFd) {
    TMpdClient mpd(options.MusicDirectory);
    TFifoReader fifo(options.FifoPath, options.FifoFormat, kWindowSize);
    TSpectrumAnalyser analyser(options.FifoFormat.SampleRate, kWindowSize);
    std::unique_ptr<TMprisFallback> mpris;

    milliseconds retry = kFirstRetry;
    auto nextConnect = TClock::now();
    auto queriedAt = TClock::now();
    auto nextTick = TClock::now();
    auto nextFifoCheck = TClock::now();
    bool reportedAbsent = false;
    bool heardAudio = false;
    TBands bands{}; // of the last tick, shown until the next
    std::pair<uint8_t, uint8_t> levels{};

    for (;;) {
        const auto now = TClock::now();
        if (!mpd.Connected() && now >= nextConnect) {
            if (mpd.Connect()) {
                Say("following MPD");
                retry = kFirstRetry;
                reportedAbsent = false;
                queriedAt = now;
                mpris.reset();
            } else {
                if (!reportedAbsent)
                    Say("MPD does not answer (" + mpd.LastError() + "); trying again");
                reportedAbsent = true;
                nextConnect = now + retry;
                retry = std::min(retry * 2, kLongestRetry);
                if (!mpris) mpris = std::make_unique<TMprisFallback>();
            }
        }

        const bool playing = mpd.Connected() && mpd.Track().State == TMpdTrack::TState::Playing;
        const char* lead = mpd.Connected() ? kMpdPathLead : kMprisPathLead;
        TMp3Update update = mpd.Connected() ? UpdateOf(mpd.Track(), now - queriedAt)
                            : mpris         ? UpdateOf(mpris->State())
                                            : TMp3Update{};

        if (playing) {
            if (now >= nextFifoCheck) {
                fifo.Reopen();
                nextFifoCheck = now + kFifoCheck;
            }
            if (now >= nextTick) {
                heardAudio = fifo.ReadAvailable() || heardAudio;
                bands = analyser.Bands(fifo.Window());
                levels = fifo.TakeLevels();
                nextTick += kTick;
                if (nextTick <= now) nextTick = now + kTick; // after a pause: no catching up
            }
            std::copy(bands.begin(), bands.end(), update.Spectrum.begin());
            std::tie(update.LevelLeft, update.LevelRight) = levels;
        } else {
            bands = {};
            levels = {};
            if (heardAudio) fifo.Clear();
            heardAudio = false;
        }
        publisher.Publish(update, lead);

        pollfd fds[3] = {{stopFd, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}};
        if (mpd.Connected()) fds[1].fd = mpd.Fd();
        if (mpris) fds[2].fd = mpris->WakeFd();
        int timeoutMs = -1;
        auto until = [&](TClock::time_point at) {
            return static_cast<int>(
                std::max<int64_t>(0, std::chrono::ceil<milliseconds>(at - TClock::now()).count()));
        };
        if (playing)
            timeoutMs = until(nextTick);
        else if (!mpd.Connected())
            timeoutMs = until(nextConnect);
        if (::poll(fds, 3, timeoutMs) < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (fds[1].revents) {
            queriedAt = TClock::now();
            if (!mpd.OnReadable()) {
                Say("lost MPD");
                nextConnect = TClock::now();
            }
        }
        if (fds[2].revents && mpris) mpris->Drain();
    }
}

} // namespace orv
