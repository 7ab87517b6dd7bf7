#include "modules/valuetap/FileFeed.h"

#include "base/TextUtil.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>

namespace orv {

namespace {

using TClock = std::chrono::steady_clock;

// A file written and closed, renamed onto the name, or removed; one a writer keeps open is
// read at its period.
constexpr uint32_t kChangeEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE;

} // namespace

std::optional<std::string> ReadFileStart(const std::string& path, size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[16384];
    while (text.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - text.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) text.clear();
            ::close(fd);
            if (n < 0) return std::nullopt;
            return text;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

void WatchFiles(const std::vector<TWatchedFile>& files,
                const std::function<void(size_t, std::optional<std::string>)>& deliver,
                std::stop_token stop) {
    const int notify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const int stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::stop_callback onStop(stop, [stopFd] {
        const uint64_t one = 1;
        (void)!::write(stopFd, &one, sizeof one);
    });
    // A watch on each file's folder sees a file written in place and one renamed onto it.
    std::map<int, std::string> folders; // watch -> folder
    for (const TWatchedFile& file : files) {
        const std::string folder = DirName(file.Path);
        if (notify >= 0) {
            const int watch =
                ::inotify_add_watch(notify, folder.empty() ? "." : folder.c_str(), kChangeEvents);
            if (watch >= 0) folders[watch] = folder;
        }
    }
    std::vector<TClock::time_point> due(files.size(), TClock::now());
    while (!stop.stop_requested()) {
        const auto now = TClock::now();
        auto next = now + std::chrono::hours(24);
        for (size_t i = 0; i < files.size(); ++i) {
            if (due[i] <= now) {
                deliver(i, ReadFileStart(files[i].Path, files[i].MaxBytes));
                due[i] = now + std::chrono::seconds(files[i].PeriodSec);
            }
            next = std::min(next, due[i]);
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {notify, POLLIN, 0}};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - TClock::now());
        if (::poll(fds, notify >= 0 ? 2 : 1,
                   static_cast<int>(std::max<int64_t>(0, wait.count()))) <= 0)
            continue;
        if (fds[0].revents) break;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(notify, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                const auto folder = folders.find(event->wd);
                if (folder == folders.end() || event->len == 0) continue;
                const std::string_view name(event->name);
                for (size_t i = 0; i < files.size(); ++i)
                    if (DirName(files[i].Path) == folder->second && BaseName(files[i].Path) == name)
                        due[i] = TClock::now(); // read at the top of the loop
            }
        }
    }
    if (notify >= 0) ::close(notify);
    if (stopFd >= 0) ::close(stopFd);
}

} // namespace orv
