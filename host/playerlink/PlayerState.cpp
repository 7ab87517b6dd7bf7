#include "host/playerlink/PlayerState.h"

namespace orv {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

TPlaybackStatus PlaybackStatusOf(std::string_view text) {
    if (text == "Playing") return TPlaybackStatus::Playing;
    if (text == "Paused") return TPlaybackStatus::Paused;
    return TPlaybackStatus::Stopped;
}

std::string FileUrlToPath(std::string_view url) {
    constexpr std::string_view kScheme = "file://";
    if (!url.starts_with(kScheme)) return std::string(url);
    std::string_view rest = url.substr(kScheme.size());
    if (rest.starts_with("localhost/")) rest.remove_prefix(std::string_view("localhost").size());
    if (!rest.starts_with('/')) return std::string(url); // a file on another host
    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(rest[i + 2]) : -1;
        if (low >= 0) {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

} // namespace orv
