// A stand-in for LCDd on 127.0.0.1 for the protocol tests of the LCDd driver: it answers
// "hello" like LCDd (or accepts and never answers), says "success" to every other command,
// records the commands, and sends messages (key events) to its clients; or floods them.
// FreeLoopbackPort gives a port where nothing listens.
#pragma once

#include "tests/support/LoopbackPort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orv::test {

class TFakeLcdd {
public:
    enum class TMode {
        Answer,     // like LCDd
        Silent,     // accepts and reads, never answers
        NotReading, // answers "hello", then reads nothing more
        Flood       // answers "hello", then sends "success" without end, as fast as it can
    };

    explicit TFakeLcdd(TMode mode = TMode::Answer, int cols = 20, int rows = 4)
        : mode_(mode), cols_(cols), rows_(rows) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listen_, 16) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("fake LCDd: no socket");
        port_ = ntohs(address.sin_port);
        if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::runtime_error("fake LCDd: no pipe");
        thread_ = std::thread([this] { Serve(); });
    }
    ~TFakeLcdd() {
        stopping_ = true;
        (void)!::write(wake_[1], "x", 1);
        thread_.join();
        for (const TClient& client : clients_) ::close(client.fd);
        ::close(listen_);
        ::close(wake_[0]);
        ::close(wake_[1]);
    }
    TFakeLcdd(const TFakeLcdd&) = delete;
    TFakeLcdd& operator=(const TFakeLcdd&) = delete;

    uint16_t Port() const { return port_; }
    int Connections() const { return connections_; }

    // Every command received so far, in order, from all connections.
    std::vector<std::string> Commands() const {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    bool Received(const std::string& command) const {
        for (const std::string& c : Commands())
            if (c == command) return true;
        return false;
    }

    // Sends a line (a message such as "key Down") to every client.
    void SendToClients(const std::string& line) {
        {
            std::lock_guard lock(mutex_);
            outgoing_ += line + "\n";
        }
        (void)!::write(wake_[1], "x", 1);
    }
    // The display the next "hello" reports, as an LCDd restarted with another one would.
    void SetSize(int cols, int rows) {
        cols_ = cols;
        rows_ = rows;
    }
    // Closes every client connection, as a stopping LCDd does.
    void DropClients() {
        dropRequested_ = true;
        (void)!::write(wake_[1], "x", 1);
    }

private:
    struct TClient {
        int fd;
        std::string received;
        bool greeted = false;
    };

    void Serve() {
        while (!stopping_) {
            std::vector<pollfd> fds{{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            for (const TClient& client : clients_)
                fds.push_back({client.fd,
                               static_cast<short>((Reads(client) ? POLLIN : 0) |
                                                  (Floods(client) ? POLLOUT : 0)),
                               0});
            if (::poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[1].revents) {
                char drain[64];
                while (::read(wake_[0], drain, sizeof drain) > 0) {
                }
                SendOutgoing();
                if (dropRequested_.exchange(false)) {
                    for (const TClient& client : clients_) ::close(client.fd);
                    clients_.clear();
                    continue;
                }
            }
            if (fds[0].revents) {
                const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    clients_.push_back({fd, {}});
                    ++connections_;
                }
            }
            for (size_t i = 2; i < fds.size() && i - 2 < clients_.size(); ++i) {
                if ((fds[i].revents & POLLOUT) && Floods(clients_[i - 2])) {
                    static const std::string kFlood = [] {
                        std::string text;
                        for (int n = 0; n < 8192; ++n) text += "success\n";
                        return text;
                    }();
                    (void)!::send(clients_[i - 2].fd, kFlood.data(), kFlood.size(),
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
                }
                if ((fds[i].revents & ~POLLOUT) && !ReadClient(clients_[i - 2])) {
                    ::close(clients_[i - 2].fd);
                    clients_.erase(clients_.begin() + static_cast<long>(i - 2));
                    break;
                }
            }
        }
    }

    bool Reads(const TClient& client) const {
        return mode_ != TMode::NotReading || !client.greeted;
    }
    bool Floods(const TClient& client) const { return mode_ == TMode::Flood && client.greeted; }

    // False when the client has gone.
    bool ReadClient(TClient& client) {
        char buffer[4096];
        const ssize_t n = ::read(client.fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        client.received.append(buffer, static_cast<size_t>(n));
        size_t end;
        while (Reads(client) && (end = client.received.find('\n')) != std::string::npos) {
            const std::string command = client.received.substr(0, end);
            client.received.erase(0, end + 1);
            {
                std::lock_guard lock(mutex_);
                commands_.push_back(command);
            }
            if (mode_ == TMode::Silent || Floods(client)) continue;
            std::string answer = "success\n";
            if (command == "hello") {
                answer = "connect LCDproc 0.5.9 protocol 0.3 lcd wid " + std::to_string(cols_) +
                         " hgt " + std::to_string(rows_) + " cellwid 5 cellhgt 8\n";
                client.greeted = true;
            }
            (void)!::send(client.fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
        return true;
    }

    void SendOutgoing() {
        std::string out;
        {
            std::lock_guard lock(mutex_);
            out.swap(outgoing_);
        }
        if (out.empty()) return;
        for (const TClient& client : clients_)
            (void)!::send(client.fd, out.data(), out.size(), MSG_NOSIGNAL);
    }

    const TMode mode_;
    std::atomic<int> cols_;
    std::atomic<int> rows_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::vector<TClient> clients_; // the server thread's
    std::atomic<int> connections_ = 0;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> dropRequested_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::string outgoing_;
    std::thread thread_;
};

} // namespace orv::test
