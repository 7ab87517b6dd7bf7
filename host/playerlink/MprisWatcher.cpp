#include "host/playerlink/MprisWatcher.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace orv {

namespace {

using TClock = std::chrono::steady_clock;

constexpr std::string_view kPlayerPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr uint64_t kCallTimeoutUs = 1'000'000; // a player that hangs must not stop the watcher
// Without a bus the attempts grow sparse, from the first interval to the longest, so that a
// run without one costs next to no wake-ups; LookAgain still tries at once.
constexpr auto kReconnectInterval = std::chrono::seconds(5);
constexpr auto kLongestReconnectInterval = std::chrono::seconds(60);
constexpr auto kLookAgainInterval = std::chrono::seconds(2);

struct TMessage {
    sd_bus_message* m = nullptr;
    ~TMessage() { sd_bus_message_unref(m); }
};

struct TError {
    sd_bus_error e = SD_BUS_ERROR_NULL;
    ~TError() { sd_bus_error_free(&e); }
};

// The value of a variant holding one integer, double or string; other contents are skipped.
struct TVariant {
    std::optional<int64_t> Integer;
    std::optional<std::string> Text;
};

int64_t ClampToInt64(long double value) {
    if (!(value > std::numeric_limits<int64_t>::min())) return 0;
    if (value >= static_cast<long double>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

// Reads one number of the D-Bus type code into out, as a whole number (NaN counts as 0).
template <typename T> int ReadInteger(sd_bus_message* m, char type, std::optional<int64_t>& out) {
    T value{};
    const int r = sd_bus_message_read_basic(m, type, &value);
    out = ClampToInt64(static_cast<long double>(value));
    return r;
}

// Reads the variant at the current position. Players differ in the integer types they send
// (mpris:length as int64, uint64 or int32), so every integer type is taken.
int ReadVariant(sd_bus_message* m, TVariant& out) {
    char type = 0;
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, &type, &contents);
    if (r <= 0) return r < 0 ? r : -EBADMSG;
    if (type != SD_BUS_TYPE_VARIANT || !contents || std::strlen(contents) != 1 ||
        !std::strchr("xtiunqydso", contents[0]))
        return sd_bus_message_skip(m, "v");
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, contents)) < 0) return r;
    switch (contents[0]) {
    case 'x': r = ReadInteger<int64_t>(m, 'x', out.Integer); break;
    case 't': r = ReadInteger<uint64_t>(m, 't', out.Integer); break;
    case 'i': r = ReadInteger<int32_t>(m, 'i', out.Integer); break;
    case 'u': r = ReadInteger<uint32_t>(m, 'u', out.Integer); break;
    case 'n': r = ReadInteger<int16_t>(m, 'n', out.Integer); break;
    case 'q': r = ReadInteger<uint16_t>(m, 'q', out.Integer); break;
    case 'y': r = ReadInteger<uint8_t>(m, 'y', out.Integer); break;
    case 'd': r = ReadInteger<double>(m, 'd', out.Integer); break;
    default: {
        const char* v = nullptr;
        r = sd_bus_message_read_basic(m, contents[0], &v);
        out.Text = v ? v : "";
    }
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

// Walks an a{sv} dictionary; onEntry(key) must consume the entry's variant.
template <typename F> int ReadDictionary(sd_bus_message* m, F&& onEntry) {
    int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
    if (r <= 0) return r < 0 ? r : -EBADMSG;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read_basic(m, 's', &key)) < 0) return r;
        if ((r = onEntry(std::string_view(key ? key : ""))) < 0) return r;
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

struct TPlayer {
    std::string Name;  // org.mpris.MediaPlayer2.NAME
    std::string Owner; // its unique connection name
    TPlaybackStatus Status = TPlaybackStatus::Stopped;
    int64_t PositionUs = 0;
    int64_t LengthUs = 0;
    std::string Url = {};
    std::string Title = {};
    std::string Identity = {};
    bool NeedsFetch = true;
};

// Metadata replaces the old one as a whole: keys it lacks are empty now.
int ApplyMetadata(sd_bus_message* m, TPlayer& player) {
    char type = 0;
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, &type, &contents);
    if (r < 0) return r;
    if (type != SD_BUS_TYPE_VARIANT || !contents || std::strcmp(contents, "a{sv}") != 0)
        return sd_bus_message_skip(m, "v");
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "a{sv}")) < 0) return r;
    player.Url.clear();
    player.Title.clear();
    player.LengthUs = 0;
    r = ReadDictionary(m, [&](std::string_view key) {
        TVariant value;
        const int rr = ReadVariant(m, value);
        if (key == "xesam:url" && value.Text) player.Url = *value.Text;
        if (key == "xesam:title" && value.Text) player.Title = *value.Text;
        if (key == "mpris:length" && value.Integer)
            player.LengthUs = std::max<int64_t>(0, *value.Integer);
        return rr;
    });
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

int ApplyPlayerProperties(sd_bus_message* m, TPlayer& player) {
    return ReadDictionary(m, [&](std::string_view key) {
        if (key == "Metadata") return ApplyMetadata(m, player);
        TVariant value;
        const int r = ReadVariant(m, value);
        if (key == "PlaybackStatus" && value.Text) player.Status = PlaybackStatusOf(*value.Text);
        if (key == "Position" && value.Integer)
            player.PositionUs = std::max<int64_t>(0, *value.Integer);
        return r;
    });
}

} // namespace

// One connection to the session bus and the players seen through it; used on the watcher's
// thread only. Signal handlers only record what they learn; bus calls happen in Refresh.
class TMprisWatcher::TSession {
public:
    ~TSession() { Disconnect(); }

    bool Connected() const { return bus_ != nullptr; }

    void Connect() {
        if (bus_ || sd_bus_open_user(&bus_) < 0) return;
        sd_bus_set_method_call_timeout(bus_, kCallTimeoutUs);
        const bool matched =
            sd_bus_add_match(bus_, nullptr,
                             "type='signal',sender='org.freedesktop.DBus',"
                             "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                             "arg0namespace='org.mpris.MediaPlayer2'",
                             OnNameOwnerChanged, this) >= 0 &&
            sd_bus_add_match(bus_, nullptr,
                             "type='signal',interface='org.freedesktop.DBus.Properties',"
                             "member='PropertiesChanged',path='/org/mpris/MediaPlayer2',"
                             "arg0='org.mpris.MediaPlayer2.Player'",
                             OnPropertiesChanged, this) >= 0 &&
            sd_bus_add_match(bus_, nullptr,
                             "type='signal',interface='org.mpris.MediaPlayer2.Player',"
                             "member='Seeked',path='/org/mpris/MediaPlayer2'",
                             OnSeeked, this) >= 0;
        if (!matched) {
            Disconnect();
            return;
        }
        rescan_ = true;
    }

    void Disconnect() {
        if (bus_) bus_ = sd_bus_flush_close_unref(bus_);
        players_.clear();
    }

    void RequestRescan() { rescan_ = true; }

    // Bus calls that signals or a rescan asked for.
    void Refresh() {
        if (rescan_) Rescan();
        for (TPlayer& player : players_)
            if (player.NeedsFetch) Fetch(player);
    }

    bool HasPendingWork() const {
        return rescan_ || std::any_of(players_.begin(), players_.end(),
                                      [](const TPlayer& p) { return p.NeedsFetch; });
    }

    // Handles what has arrived; false when the connection is lost.
    bool Drain() {
        int r = 0;
        while ((r = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (r < 0) Disconnect();
        return r >= 0;
    }

    void PollPosition() {
        TPlayer* player = Followed();
        if (!player || player->Status != TPlaybackStatus::Playing) return;
        TError error;
        int64_t position = 0;
        if (sd_bus_get_property_trivial(bus_, player->Name.c_str(), kObjectPath, kPlayerInterface,
                                        "Position", &error.e, 'x', &position) >= 0)
            player->PositionUs = std::max<int64_t>(0, position);
    }

    bool FollowedPlays() {
        const TPlayer* player = Followed();
        return player && player->Status == TPlaybackStatus::Playing;
    }

    TPlayerState State() {
        TPlayerState state;
        const TPlayer* player = Followed();
        if (!player) return state;
        state.Present = true;
        state.Status = player->Status;
        state.PositionUs = player->Status == TPlaybackStatus::Stopped ? 0 : player->PositionUs;
        state.LengthUs = player->LengthUs;
        state.Url = player->Url;
        state.Title = player->Title;
        state.Identity = player->Identity;
        state.BusName = player->Name;
        return state;
    }

    // Wait for the connection: the descriptor, its events and a time-out in milliseconds
    // (-1: none).
    pollfd PollFd() const {
        return {sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0};
    }
    int TimeoutMs() const {
        uint64_t until = 0;
        if (sd_bus_get_timeout(bus_, &until) < 0 || until == UINT64_MAX) return -1;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1'000'000 +
                               static_cast<uint64_t>(now.tv_nsec) / 1000;
        if (until <= nowUs) return 0;
        return static_cast<int>(std::min<uint64_t>((until - nowUs + 999) / 1000, 60'000));
    }

private:
    TPlayer* Followed() {
        for (TPlayer& player : players_)
            if (player.Status == TPlaybackStatus::Playing) return &player;
        return players_.empty() ? nullptr : &players_.front();
    }

    TPlayer* ByOwner(const char* owner) {
        if (!owner) return nullptr;
        for (TPlayer& player : players_)
            if (player.Owner == owner) return &player;
        return nullptr;
    }

    void OwnerChanged(std::string_view name, std::string_view owner) {
        if (!name.starts_with(kPlayerPrefix)) return;
        auto it = std::find_if(players_.begin(), players_.end(),
                               [&](const TPlayer& p) { return p.Name == name; });
        if (owner.empty()) {
            if (it != players_.end()) players_.erase(it);
            return;
        }
        if (it == players_.end()) {
            players_.push_back({.Name = std::string(name), .Owner = std::string(owner)});
        } else {
            *it = {.Name = std::string(name), .Owner = std::string(owner)};
        }
    }

    void Rescan() {
        rescan_ = false;
        char** names = nullptr;
        if (sd_bus_list_names(bus_, &names, nullptr) < 0) return;
        std::vector<TPlayer> seen;
        for (char** name = names; name && *name; ++name) {
            const std::string_view text(*name);
            if (text.starts_with(kPlayerPrefix)) {
                std::string owner = OwnerOf(*name);
                if (!owner.empty()) seen.push_back({.Name = *name, .Owner = std::move(owner)});
            }
            std::free(*name);
        }
        std::free(names);
        // Players already known keep their place; new ones follow in the bus's order.
        std::vector<TPlayer> players;
        for (TPlayer& player : players_) {
            auto it = std::find_if(seen.begin(), seen.end(),
                                   [&](const TPlayer& p) { return p.Name == player.Name; });
            if (it == seen.end()) continue;
            player.NeedsFetch = true;
            if (player.Owner != it->Owner) player = std::move(*it);
            players.push_back(std::move(player));
            seen.erase(it);
        }
        for (TPlayer& player : seen) players.push_back(std::move(player));
        players_ = std::move(players);
    }

    std::string OwnerOf(const char* name) {
        TError error;
        TMessage reply;
        const char* owner = nullptr;
        if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "GetNameOwner", &error.e, &reply.m, "s",
                               name) < 0 ||
            sd_bus_message_read_basic(reply.m, 's', &owner) < 0 || !owner)
            return {};
        return owner;
    }

    void Fetch(TPlayer& player) {
        player.NeedsFetch = false;
        TError error;
        TMessage reply;
        if (sd_bus_call_method(bus_, player.Name.c_str(), kObjectPath, kPropertiesInterface,
                               "GetAll", &error.e, &reply.m, "s", kPlayerInterface) >= 0)
            ApplyPlayerProperties(reply.m, player);
        TError identityError;
        char* identity = nullptr;
        if (sd_bus_get_property_string(bus_, player.Name.c_str(), kObjectPath, kRootInterface,
                                       "Identity", &identityError.e, &identity) >= 0 &&
            identity)
            player.Identity = identity;
        std::free(identity);
    }

    static int OnNameOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
        const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
        if (sd_bus_message_read(m, "sss", &name, &oldOwner, &newOwner) >= 0 && name && newOwner)
            static_cast<TSession*>(userdata)->OwnerChanged(name, newOwner);
        return 0;
    }

    static int OnPropertiesChanged(sd_bus_message* m, void* userdata, sd_bus_error*) {
        TPlayer* player = static_cast<TSession*>(userdata)->ByOwner(sd_bus_message_get_sender(m));
        const char* interface = nullptr;
        if (!player || sd_bus_message_read_basic(m, 's', &interface) < 0 || !interface ||
            std::strcmp(interface, kPlayerInterface) != 0)
            return 0;
        if (ApplyPlayerProperties(m, *player) < 0) {
            player->NeedsFetch = true;
            return 0;
        }
        // Properties named without their values are asked for again.
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "s") > 0) {
            const char* invalidated = nullptr;
            if (sd_bus_message_read_basic(m, 's', &invalidated) > 0) player->NeedsFetch = true;
        }
        return 0;
    }

    static int OnSeeked(sd_bus_message* m, void* userdata, sd_bus_error*) {
        TPlayer* player = static_cast<TSession*>(userdata)->ByOwner(sd_bus_message_get_sender(m));
        int64_t position = 0;
        if (player && sd_bus_message_read_basic(m, 'x', &position) > 0)
            player->PositionUs = std::max<int64_t>(0, position);
        return 0;
    }

    sd_bus* bus_ = nullptr;
    std::vector<TPlayer> players_; // in the order they appeared
    bool rescan_ = false;
};

TMprisWatcher::TMprisWatcher(TListener listener, std::chrono::milliseconds positionInterval)
    : listener_(std::move(listener)), positionInterval_(positionInterval),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    thread_ = std::jthread([this](std::stop_token stop) {
        ::pthread_setname_np(::pthread_self(), "mpris");
        Run(stop);
    });
}

TMprisWatcher::~TMprisWatcher() {
    thread_.request_stop();
    Wake();
    if (thread_.joinable()) thread_.join();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TMprisWatcher::LookAgain() {
    lookAgain_ = true;
    Wake();
}

void TMprisWatcher::Wake() {
    const uint64_t one = 1;
    if (wakeFd_ < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void TMprisWatcher::Run(std::stop_token stop) {
    TSession session;
    auto lastConnect = TClock::now() - kReconnectInterval;
    TClock::duration reconnectInterval = kReconnectInterval;
    auto lastLook = TClock::now();
    auto nextPosition = TClock::now();
    std::optional<TPlayerState> published;
    bool reachedBus = false; // until then there is nothing to report, not even "no player"
    while (!stop.stop_requested()) {
        const auto now = TClock::now();
        const bool lookAgain = lookAgain_.exchange(false);
        if (!session.Connected()) {
            if (now - lastConnect >= reconnectInterval ||
                (lookAgain && now - lastConnect >= kLookAgainInterval)) {
                lastConnect = now;
                session.Connect();
                reconnectInterval = session.Connected()
                                        ? kReconnectInterval
                                        : std::min<TClock::duration>(2 * reconnectInterval,
                                                                     kLongestReconnectInterval);
            }
        } else if (lookAgain && now - lastLook >= kLookAgainInterval) {
            lastLook = now;
            session.RequestRescan();
        }
        if (session.Connected()) {
            session.Refresh();
            if (session.FollowedPlays() && now >= nextPosition) {
                session.PollPosition();
                nextPosition = now + positionInterval_;
            }
            if (session.Drain() && session.HasPendingWork()) continue;
        }

        reachedBus = reachedBus || session.Connected();
        TPlayerState state = session.State();
        present_ = state.Present;
        if (reachedBus && (!published || *published != state)) {
            published = state;
            if (listener_) listener_(state);
        }

        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        int timeoutMs = -1;
        if (session.Connected()) {
            fds[1] = session.PollFd();
            timeoutMs = session.TimeoutMs();
            if (session.FollowedPlays()) {
                const auto untilPosition =
                    std::chrono::ceil<std::chrono::milliseconds>(nextPosition - TClock::now());
                const int ms = static_cast<int>(std::max<int64_t>(0, untilPosition.count()));
                timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
            }
        } else {
            const auto untilConnect = std::chrono::ceil<std::chrono::milliseconds>(
                lastConnect + reconnectInterval - TClock::now());
            timeoutMs = static_cast<int>(std::max<int64_t>(0, untilConnect.count()));
        }
        if (::poll(fds, session.Connected() ? 2 : 1, timeoutMs) > 0 && (fds[0].revents & POLLIN)) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &count, sizeof count);
        }
    }
}

} // namespace orv
