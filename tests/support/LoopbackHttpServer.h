// A small HTTP/1.1 server on 127.0.0.1 for the tests of the internet modules. It serves the
// answers a test gives it, counts and records the requests (so it also stands in for a proxy:
// a request sent through a proxy names the whole address), and can accept connections without
// ever answering.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orv::test {

struct THttpReply {
    int Status = 200;
    std::string ContentType = "text/plain";
    std::string Body;
};

struct THttpRequest {
    std::string Method;
    std::string Target; // as sent: "/path?query", or "http://host/path" through a proxy
    std::string Headers;
};

class TLoopbackHttpServer {
public:
    // silent: connections are accepted and read, never answered.
    explicit TLoopbackHttpServer(bool silent = false) : silent_(silent) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listen_, 16) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("loopback server: no socket");
        port_ = ntohs(address.sin_port);
        if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("loopback server: no pipe");
        thread_ = std::thread([this] { Serve(); });
    }
    ~TLoopbackHttpServer() {
        stopping_ = true;
        (void)!::write(wake_[1], "x", 1);
        thread_.join();
        for (int fd : clients_) ::close(fd);
        ::close(listen_);
        ::close(wake_[0]);
        ::close(wake_[1]);
    }
    TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
    TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

    int Port() const { return port_; }
    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // The answer to requests whose path (without the query) is path; other paths get 404.
    void Serve(const std::string& path, THttpReply reply) {
        std::lock_guard lock(mutex_);
        replies_[path] = std::move(reply);
    }
    // Every request, whatever its path, gets this answer.
    void ServeAll(THttpReply reply) {
        std::lock_guard lock(mutex_);
        all_ = std::move(reply);
        hasAll_ = true;
    }

    int Requests() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(requests_.size());
    }
    int Connections() const { return connections_; }
    std::vector<THttpRequest> Received() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // Waits until count requests (or, silent, connections) have arrived.
    bool WaitFor(int count, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] {
            return static_cast<int>(requests_.size()) >= count ||
                   (silent_ && connections_ >= count);
        });
    }

private:
    void Serve() {
        std::map<int, std::string> pending;
        while (!stopping_) {
            std::vector<pollfd> fds{{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            for (const auto& [fd, _] : pending) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[1].revents) break;
            if (fds[0].revents & POLLIN) {
                const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    pending[client];
                    clients_.push_back(client);
                    std::lock_guard lock(mutex_);
                    ++connections_;
                    arrived_.notify_all();
                }
            }
            for (size_t i = 2; i < fds.size(); ++i) {
                if (!fds[i].revents) continue;
                const int fd = fds[i].fd;
                char buffer[4096];
                const ssize_t n = ::read(fd, buffer, sizeof(buffer));
                if (n <= 0) {
                    pending.erase(fd);
                    continue;
                }
                std::string& text = pending[fd];
                text.append(buffer, static_cast<size_t>(n));
                size_t end;
                while ((end = text.find("\r\n\r\n")) != std::string::npos) {
                    const std::string head = text.substr(0, end);
                    text.erase(0, end + 4);
                    Answer(fd, head);
                }
            }
        }
    }

    void Answer(int fd, const std::string& head) {
        THttpRequest request;
        const size_t lineEnd = head.find("\r\n");
        const std::string line = head.substr(0, lineEnd);
        request.Headers = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
        const size_t sp1 = line.find(' ');
        const size_t sp2 = line.find(' ', sp1 + 1);
        request.Method = line.substr(0, sp1);
        request.Target = line.substr(sp1 + 1, sp2 - sp1 - 1);
        THttpReply reply{404, "text/plain", "not found"};
        {
            std::lock_guard lock(mutex_);
            std::string path = request.Target;
            if (const size_t scheme = path.find("://"); scheme != std::string::npos)
                path = path.substr(std::min(path.find('/', scheme + 3), path.size()));
            path = path.substr(0, path.find('?'));
            if (hasAll_)
                reply = all_;
            else if (auto it = replies_.find(path); it != replies_.end())
                reply = it->second;
            requests_.push_back(request);
            arrived_.notify_all();
        }
        if (silent_) return;
        const std::string answer = "HTTP/1.1 " + std::to_string(reply.Status) + " X\r\n" +
                                   "Content-Type: " + reply.ContentType + "\r\n" +
                                   "Content-Length: " + std::to_string(reply.Body.size()) +
                                   "\r\n\r\n" + reply.Body;
        size_t sent = 0;
        while (sent < answer.size()) {
            const ssize_t n = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
    }

    bool silent_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::vector<int> clients_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::map<std::string, THttpReply> replies_;
    THttpReply all_;
    bool hasAll_ = false;
    std::vector<THttpRequest> requests_;
    int connections_ = 0;
};

} // namespace orv::test
