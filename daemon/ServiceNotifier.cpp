#include "daemon/ServiceNotifier.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orv {

namespace {

// A whole decimal number, nothing else; nullopt otherwise.
std::optional<unsigned long long> DecimalOf(const char* text) {
    if (!text || *text < '0' || *text > '9') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return value;
}

} // namespace

TServiceNotifier::TServiceNotifier() {
    // The watchdog is this process's only when systemd names no other one.
    const auto usec = DecimalOf(std::getenv("WATCHDOG_USEC"));
    const char* pidText = std::getenv("WATCHDOG_PID");
    const auto pid = DecimalOf(pidText);
    const bool ours = !pidText || (pid && *pid == static_cast<unsigned long long>(::getpid()));
    if (usec && *usec > 0 && ours) watchdog_ = std::chrono::microseconds(*usec);

    // An absolute path, or "@name" in the abstract namespace.
    const char* path = std::getenv("NOTIFY_SOCKET");
    const size_t length = path ? std::strlen(path) : 0;
    if (length < 2 || length >= sizeof(sockaddr_un::sun_path) || (path[0] != '/' && path[0] != '@'))
        return;
    socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return;
    address_.assign(path, length);
    if (address_[0] == '@') address_[0] = '\0';
}

TServiceNotifier::~TServiceNotifier() {
    if (socket_ >= 0) ::close(socket_);
}

// One datagram per message, addressed each time as systemd expects; a manager that is gone
// costs a failed send and nothing else.
void TServiceNotifier::Notify(std::string_view state) {
    if (socket_ < 0) return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, address_.data(), address_.size());
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address_.size());
    while (::sendto(socket_, state.data(), state.size(), MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr*>(&address), size) < 0 &&
           errno == EINTR) {
    }
}

void TServiceNotifier::Ready() { Notify("READY=1\nSTATUS=Showing the job"); }

void TServiceNotifier::Reloading() {
    Notify("RELOADING=1\nSTATUS=Reading the settings and the job");
}

void TServiceNotifier::Stopping() { Notify("STOPPING=1"); }

void TServiceNotifier::Beat() {
    if (watchdog_.count() == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPing_ < watchdog_ / 2) return;
    lastPing_ = now;
    Notify("WATCHDOG=1");
}

} // namespace orv
