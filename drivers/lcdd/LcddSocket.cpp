#include "drivers/lcdd/LcddSocket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orv {

namespace {

using TClock = std::chrono::steady_clock;

// LCDd's longest line (the answer to "hello", a menu event) is well below 1 kB.
constexpr size_t kMaxLine = 1024;
// Unread text held at most: a few of the longest lines.
constexpr size_t kMaxBuffered = 8 * kMaxLine;

// Milliseconds left until deadline, at least 0.
int MsLeft(TClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until deadline or until cancelFd is readable; the events that came,
// 0 on time-out, -1 on error or cancel.
int WaitFor(int fd, short events, TClock::time_point deadline, int cancelFd) {
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
        const int n = ::poll(p, cancelFd >= 0 ? 2 : 1, MsLeft(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n;
        if (p[1].revents) {
            errno = ECANCELED;
            return -1;
        }
        return p[0].revents;
    }
}

// One address: a non-blocking connect finished within deadline; the descriptor or -1 and errno.
int ConnectOne(const addrinfo& address, TClock::time_point deadline, int cancelFd) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) return -1;
    int error = 0;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            const int events = WaitFor(fd, POLLOUT, deadline, cancelFd);
            socklen_t length = sizeof error;
            if (events == 0)
                error = ETIMEDOUT;
            else if (events < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on); // each update goes out at once
    return fd;
}

// A name lookup with the resolver's own threads (getaddrinfo_a), so that it can be given up.
struct TLookup {
    std::string host;
    std::string service;
    addrinfo hints{};
    gaicb request{};
};

// The addresses of host (a numeric address at once, a name within deadline); nullptr and the
// reason in error otherwise. The caller frees the list with freeaddrinfo.
addrinfo* Resolve(const std::string& host, uint16_t port, TClock::time_point deadline,
                  std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* addresses = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses) == 0) return addresses;

    auto* lookup = new TLookup{host, service};
    lookup->hints.ai_family = AF_UNSPEC;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_service = lookup->service.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* requests[1] = {&lookup->request};
    int status = ::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr);
    if (status == 0) {
        while ((status = ::gai_error(&lookup->request)) == EAI_INPROGRESS) {
            const int ms = MsLeft(deadline);
            if (ms == 0) break;
            const timespec wait{ms / 1000, (ms % 1000) * 1000000L};
            ::gai_suspend(requests, 1, &wait);
        }
    }
    if (status == EAI_INPROGRESS && ::gai_cancel(&lookup->request) == EAI_NOTCANCELED) {
        // The resolver still holds the request: it is left to it (a few bytes).
        error = "no answer from the name service for " + host;
        return nullptr;
    }
    if (status != 0) {
        error = status == EAI_INPROGRESS ? "no answer from the name service for " + host
                                         : std::string(::gai_strerror(status));
        delete lookup;
        return nullptr;
    }
    addresses = lookup->request.ar_result;
    delete lookup;
    return addresses;
}

} // namespace

std::unique_ptr<TLcddSocket> TLcddSocket::Connect(const std::string& host, uint16_t port,
                                                  int timeoutMs, std::string& error, int cancelFd) {
    const std::string where = host + ":" + std::to_string(port);
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    std::string lookupError;
    addrinfo* addresses = Resolve(host, port, deadline, lookupError);
    if (!addresses) {
        error = "Cannot find the LCDd server " + where + ": " + lookupError;
        return nullptr;
    }
    int fd = -1;
    int lastError = ECONNREFUSED;
    for (const addrinfo* a = addresses; a && fd < 0; a = a->ai_next) {
        fd = ConnectOne(*a, deadline, cancelFd);
        if (fd < 0) lastError = errno;
    }
    ::freeaddrinfo(addresses);
    if (fd < 0) {
        error = "Cannot connect to LCDd at " + where + ": " +
                (lastError == ETIMEDOUT ? "no answer within " + std::to_string(timeoutMs) + " ms"
                                        : std::string(std::strerror(lastError)));
        return nullptr;
    }
    return std::unique_ptr<TLcddSocket>(new TLcddSocket(fd, cancelFd));
}

TLcddSocket::~TLcddSocket() { ::close(fd_); }

bool TLcddSocket::SendAll(std::string_view data, int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty()) {
        const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int events = WaitFor(fd_, POLLOUT, deadline, cancelFd_);
            if (events <= 0 || (events & (POLLERR | POLLHUP))) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool TLcddSocket::ReadAvailable() {
    full_ = false;
    if (taken_ > 0) {
        received_.erase(0, taken_); // once per call: taking lines stays linear
        taken_ = 0;
    }
    char buffer[4096];
    for (;;) {
        const size_t room = kMaxBuffered - std::min(received_.size(), kMaxBuffered);
        if (room == 0) {
            // The caller takes the lines before more is read; a line longer than any the
            // protocol has is the server's fault.
            full_ = true;
            overflowed_ = received_.find('\n') == std::string::npos;
            return !overflowed_;
        }
        const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, room), 0);
        if (n > 0) {
            received_.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) return false;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

std::optional<std::string> TLcddSocket::TakeLine() {
    const size_t end = received_.find('\n', taken_);
    if (end == std::string::npos) return std::nullopt;
    std::string line = received_.substr(taken_, end - taken_);
    taken_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> TLcddSocket::ReadLine(int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (auto line = TakeLine()) return line;
        const int events = WaitFor(fd_, POLLIN, deadline, cancelFd_);
        if (events <= 0 || !ReadAvailable()) return std::nullopt;
    }
}

} // namespace orv
