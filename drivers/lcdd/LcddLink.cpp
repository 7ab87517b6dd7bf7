#include "drivers/lcdd/LcddLink.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace orv {

namespace {

constexpr int kSendTimeoutMs = 5000;
constexpr int kFirstPauseMs = 1000;
// Reads of a full buffer in one turn at most (8 kB each): more is a server that floods.
constexpr int kMaxReadRounds = 8;
constexpr int kLongestPauseMs = 16000;

void Signal(int fd) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

void Drain(int fd) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd, &count, sizeof count);
}

void Say(const std::string& line) {
    const std::string text = "lcdd.so: " + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace

TLcddSharedScreen::TLcddSharedScreen() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TLcddSharedScreen::~TLcddSharedScreen() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TLcddSharedScreen::Change(const std::function<bool(TLcddScreen&)>& change) {
    {
        std::lock_guard lock(mutex_);
        if (!change(screen_)) return;
        if (held_) {
            wakeWaiting_ = true;
            return;
        }
    }
    Wake();
}

void TLcddSharedScreen::Wake() const { Signal(wakeFd_); }

void TLcddSharedScreen::HoldWakes() {
    std::lock_guard lock(mutex_);
    held_ = true;
}

void TLcddSharedScreen::ReleaseWakes() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
        if (!std::exchange(wakeWaiting_, false)) return;
    }
    Wake();
}

std::optional<TLcddSession> TLcddSession::Open(const TLcddAddress& address, std::string& error,
                                               int cancelFd) {
    TLcddSession session;
    session.socket =
        TLcddSocket::Connect(address.host, address.port, address.connectTimeoutMs, error, cancelFd);
    if (!session.socket) return std::nullopt;
    const std::string noAnswer = "LCDd at " + address.Text() + " did not answer \"hello\" within " +
                                 std::to_string(address.replyTimeoutMs) + " ms";
    if (!session.socket->SendAll("hello\n", address.replyTimeoutMs)) {
        error = noAnswer;
        return std::nullopt;
    }
    const std::optional<std::string> reply = session.socket->ReadLine(address.replyTimeoutMs);
    if (!reply) {
        error = noAnswer;
        return std::nullopt;
    }
    const std::optional<TLcddDisplay> display = ParseConnectReply(*reply);
    if (!display) {
        error = "The server at " + address.Text() + " is not LCDd: it answered \"hello\" with \"" +
                reply->substr(0, 80) + "\"";
        return std::nullopt;
    }
    session.display = *display;
    return session;
}

TLcddLink::TLcddLink(TLcddSession session, TLcddAddress address, TLcddSharedScreen& screen,
                     std::function<void(int8_t)> onKey)
    : session_(std::move(session)), address_(std::move(address)), screen_(screen),
      onKey_(std::move(onKey)), stopFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (session_.socket) session_.socket->SetCancelFd(stopFd_);
    thread_ = std::thread([this] { Run(); });
}

TLcddLink::~TLcddLink() {
    stop_ = true;
    Signal(stopFd_);
    if (thread_.joinable()) thread_.join();
    ::close(stopFd_);
}

bool TLcddLink::Pause(int ms) {
    pollfd p{stopFd_, POLLIN, 0};
    while (::poll(&p, 1, ms) < 0 && errno == EINTR) {
    }
    return !stop_;
}

void TLcddLink::Run() {
    std::unique_ptr<TLcddSocket> socket = std::move(session_.socket);
    const auto [cols, rows] =
        screen_.Read([](TLcddScreen& screen) { return std::pair(screen.Cols(), screen.Rows()); });
    int pause = kFirstPauseMs;
    while (!stop_) {
        if (socket) {
            if (Serve(*socket)) break;
            socket.reset();
            // A server dropped for what it sent is not asked again at once.
            if (!misbehaved_.empty())
                Say(std::exchange(misbehaved_, {}));
            else {
                Say("the connection to LCDd at " + address_.Text() + " was lost; connecting again");
                pause = kFirstPauseMs;
            }
        }
        if (!Pause(pause)) break;
        pause = std::min(pause * 2, kLongestPauseMs);
        std::string error;
        std::optional<TLcddSession> session = TLcddSession::Open(address_, error, stopFd_);
        if (!session) continue;
        socket = std::move(session->socket);
        Say("connected to LCDd at " + address_.Text() + " again");
        if (session->display.cols != cols || session->display.rows != rows)
            Say("LCDd at " + address_.Text() + " now has a display of " +
                std::to_string(session->display.cols) + " x " +
                std::to_string(session->display.rows) + "; the panel keeps " +
                std::to_string(cols) + " x " + std::to_string(rows) +
                " until the driver is switched on again");
    }
}

bool TLcddLink::Serve(TLcddSocket& socket) {
    const std::string setup = screen_.Read([](TLcddScreen& screen) {
        // Setup first: it makes TakeUpdate send every row (the operands of + are not
        // evaluated in order).
        std::string commands = screen.Setup();
        return commands + screen.TakeUpdate();
    });
    if (!socket.SendAll(setup, kSendTimeoutMs)) return false;
    for (;;) {
        pollfd fds[3] = {
            {socket.Fd(), POLLIN, 0}, {screen_.WakeFd(), POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (stop_) return true;
        if (fds[0].revents && !HandleMessages(socket)) return false;
        if (fds[1].revents) {
            Drain(screen_.WakeFd());
            const std::string update =
                screen_.Read([](TLcddScreen& screen) { return screen.TakeUpdate(); });
            if (!update.empty() && !socket.SendAll(update, kSendTimeoutMs)) return false;
        }
    }
}

bool TLcddLink::HandleMessages(TLcddSocket& socket) {
    // "success", "huh? ...", "listen", "ignore" and menu events need no action; keys do.
    for (int round = 0; round < kMaxReadRounds; ++round) {
        const bool open = socket.ReadAvailable();
        while (const std::optional<std::string> line = socket.TakeLine())
            if (const std::optional<int8_t> code = KeypadCodeOfKeyEvent(*line); code && onKey_)
                onKey_(*code);
        if (socket.Overflowed()) {
            misbehaved_ = "LCDd at " + address_.Text() +
                          " sent a line longer than the protocol has; connecting again later";
            return false;
        }
        if (!open || !socket.Full()) return open;
    }
    // LCDd answers what it is sent and reports keys: it never sends this much in one go.
    misbehaved_ = "LCDd at " + address_.Text() +
                  " sends far more than it was asked for; connecting again later";
    return false;
}

} // namespace orv
