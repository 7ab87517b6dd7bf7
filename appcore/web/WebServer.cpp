// liborvanta3web.so: the web interface's HTTP server on libmicrohttpd, one thread of its own
// waiting in epoll. Watchers of /api/events are suspended between frames, so that an idle page
// costs no wake-up and a slow one only misses frames. Over plain HTTP the thread that shows a
// frame writes it straight to each sleeping watcher's socket without blocking (the stream is
// close-delimited, so its bytes are the events themselves); only a socket that is full, failed or
// under TLS wakes the server thread to finish the write. While streams are open, a comment every
// 15 s keeps them alive through a static screen (proxies and browsers end silent streams).
#include "appcore/web/WebApi.h"
#include "appcore/web/WebInterface.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <crypt.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <stop_token>
#include <thread>
#include <utility>

namespace orv {

namespace {

constexpr unsigned kConnectionLimit = 256;
constexpr unsigned kForeignPerClientLimit = 16;
constexpr unsigned kIdleSeconds = 30;
constexpr size_t kConnectionMemory = 32 * 1024; // a request's headers and buffers
constexpr size_t kMaxWatchers = 32;
constexpr auto kKeepAlivePeriod = std::chrono::seconds(15);
// A stream's socket holds a few seconds of frames, not the megabytes the kernel would let it
// grow to: a slow page skips to the newest frame instead of showing a panel minutes old.
constexpr int kWatcherSendBuffer = 16 * 1024;

class TServer;

struct TRequestState {
    std::string Body;
    bool TooLarge = false;
};

// One /api/events stream. While it is suspended its fields belong to whoever holds the server's
// watchersMutex_; while it runs, to the server thread.
struct TWatcher {
    TServer* Server = nullptr;
    MHD_Connection* Connection = nullptr;
    uint64_t LastFrame = 0;
    std::string Pending;    // the rest of an event not yet taken by the socket
    bool KeepAlive = false; // a comment is due
    uint64_t LastJob = 0;   // the job_ count the watcher was last told of
    int Socket = -1;        // plain HTTP: written to directly while suspended
    bool Failed = false;    // a direct write found the socket broken
};

class TServer final : public TWebServer {
public:
    TServer(const TWebConfig& config, TWebHost& host) : host_(host), api_(config, host) {}
    ~TServer() override { Stop(); }

    bool Start(const TWebConfig& config, std::string& error);
    void FrameShown() override;
    void JobChanged() override;

private:
    static MHD_Result Access(void* self, MHD_Connection* connection, const char* url,
                             const char* method, const char* version, const char* upload,
                             size_t* uploadSize, void** state);
    static void Completed(void* self, MHD_Connection* connection, void** state,
                          MHD_RequestTerminationCode code);
    static ssize_t StreamEvents(void* watcher, uint64_t position, char* buffer, size_t size);
    static void EndWatcher(void* watcher);
    void KeepAlive(std::stop_token stop);
    void QueueEvents(TWatcher& watcher);
    void WakeSuspended(bool keepAlive);
    static bool WriteWhileAsleep(TWatcher& watcher);

    MHD_Result Answer(MHD_Connection* connection, const char* url, const char* method,
                      TRequestState& state);
    void Stop();

    TWebHost& host_;
    TWebApi api_;
    MHD_Daemon* daemon_ = nullptr;
    std::atomic<uint64_t> frame_{1};
    std::atomic<uint64_t> job_{0}; // job changes so far
    std::mutex watchersMutex_;
    std::set<TWatcher*> watchers_;
    std::set<TWatcher*> suspended_;
    std::condition_variable_any watchersChanged_; // a stream began
    bool stopping_ = false;
    std::jthread keepAlive_;
    std::mutex frameMutex_; // the cached JSON of the newest frame
    uint64_t cachedFrame_ = 0;
    std::string cachedJson_;
    bool tls_ = false;

    std::string FrameJson(uint64_t frame);
};

MHD_Result CollectValue(void* target, MHD_ValueKind, const char* key, const char* value) {
    auto& map = *static_cast<std::map<std::string, std::string>*>(target);
    if (!key) return MHD_YES;
    std::string name = key;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    map[name] = value ? value : "";
    return MHD_YES;
}

MHD_Result CollectExact(void* target, MHD_ValueKind, const char* key, const char* value) {
    auto& map = *static_cast<std::map<std::string, std::string>*>(target);
    if (key) map[key] = value ? value : "";
    return MHD_YES;
}

std::string PeerAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr) return {};
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                    sizeof text);
    else if (address->sa_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                    sizeof text);
    return text;
}

MHD_Result Queue(MHD_Connection* connection, const THttpResponse& answer, MHD_Response* response) {
    for (const auto& [name, value] : answer.Headers)
        MHD_add_response_header(response, name.c_str(), value.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.ContentType.c_str());
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned>(answer.Status), response);
    MHD_destroy_response(response);
    return result;
}

bool TServer::Start(const TWebConfig& config, std::string& error) {
    sockaddr_storage address{};
    socklen_t length = 0;
    // epoll where the library has it: a wake-up costs the same however many clients are idle.
    const unsigned polling =
        MHD_is_feature_supported(MHD_FEATURE_EPOLL) == MHD_YES ? MHD_USE_EPOLL : MHD_USE_POLL;
    unsigned flags =
        MHD_USE_INTERNAL_POLLING_THREAD | polling | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (::inet_pton(AF_INET, config.Address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(config.Port);
        length = sizeof *v4;
    } else if (::inet_pton(AF_INET6, config.Address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(config.Port);
        length = sizeof *v6;
        flags |= MHD_USE_IPv6;
    } else {
        error = "\"" + config.Address + "\" is not a numeric IP address";
        return false;
    }
    (void)length;
    const bool tls = !config.CertificatePem.empty() || !config.KeyPem.empty();
    if (tls) {
        if (config.CertificatePem.empty() || config.KeyPem.empty()) {
            error = "HTTPS needs both a certificate and a key";
            return false;
        }
        if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
            error = "libmicrohttpd was built without TLS";
            return false;
        }
        flags |= MHD_USE_TLS;
    }
    tls_ = tls;
    const unsigned perClient =
        IsLoopbackAddress(config.Address) ? kConnectionLimit : kForeignPerClientLimit;
    if (tls)
        daemon_ = MHD_start_daemon(flags, config.Port, nullptr, nullptr, &TServer::Access, this,
                                   MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_NOTIFY_COMPLETED,
                                   &TServer::Completed, this, MHD_OPTION_CONNECTION_LIMIT,
                                   kConnectionLimit, MHD_OPTION_PER_IP_CONNECTION_LIMIT, perClient,
                                   MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
                                   MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
                                   MHD_OPTION_HTTPS_MEM_CERT, config.CertificatePem.c_str(),
                                   MHD_OPTION_HTTPS_MEM_KEY, config.KeyPem.c_str(), MHD_OPTION_END);
    else
        daemon_ = MHD_start_daemon(
            flags, config.Port, nullptr, nullptr, &TServer::Access, this, MHD_OPTION_SOCK_ADDR,
            &address, MHD_OPTION_NOTIFY_COMPLETED, &TServer::Completed, this,
            MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
            perClient, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_END);
    if (!daemon_) {
        error = "cannot listen on " + config.Address + " port " + std::to_string(config.Port) +
                (tls ? " (or the certificate or key is not usable)" : "") + ": " +
                std::strerror(errno);
        return false;
    }
    keepAlive_ = std::jthread([this](std::stop_token stop) { KeepAlive(std::move(stop)); });
    return true;
}

void TServer::Stop() {
    if (!daemon_) return;
    if (keepAlive_.joinable()) {
        keepAlive_.request_stop();
        keepAlive_.join();
    }
    {
        std::lock_guard lock(watchersMutex_);
        stopping_ = true;
        for (TWatcher* watcher : suspended_) MHD_resume_connection(watcher->Connection);
        suspended_.clear();
    }
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

void TServer::FrameShown() {
    frame_.fetch_add(1, std::memory_order_release);
    WakeSuspended(false);
}

// Under watchersMutex_: the events the watcher has not had yet, into Pending.
void TServer::QueueEvents(TWatcher& watcher) {
    if (std::exchange(watcher.KeepAlive, false)) watcher.Pending += ": keep-alive\n\n";
    const uint64_t frame = frame_.load(std::memory_order_acquire);
    if (frame == watcher.LastFrame) return;
    // A watcher that fell behind gets the newest frame only.
    watcher.LastFrame = frame;
    const uint64_t job = job_.load(std::memory_order_acquire);
    if (job != watcher.LastJob) watcher.Pending += "event: job\ndata: {}\n\n";
    watcher.LastJob = job;
    watcher.Pending += "event: frame\ndata: " + FrameJson(frame) + "\n\n";
}

// Under watchersMutex_, for a watcher with a Socket: true when all of Pending went out and the
// watcher may sleep on.
bool TServer::WriteWhileAsleep(TWatcher& watcher) {
    const ssize_t sent = ::send(watcher.Socket, watcher.Pending.data(), watcher.Pending.size(),
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            watcher.Failed = true;
            watcher.Pending.clear();
        }
        return false;
    }
    watcher.Pending.erase(0, static_cast<size_t>(sent));
    return watcher.Pending.empty();
}

void TServer::WakeSuspended(bool keepAlive) {
    std::lock_guard lock(watchersMutex_);
    for (auto it = suspended_.begin(); it != suspended_.end();) {
        TWatcher& watcher = **it;
        watcher.KeepAlive = watcher.KeepAlive || keepAlive;
        if (watcher.Socket >= 0) {
            QueueEvents(watcher);
            if (WriteWhileAsleep(watcher)) {
                ++it;
                continue;
            }
        }
        // The server thread writes the rest when the socket takes it, or ends a failed stream.
        MHD_resume_connection(watcher.Connection);
        it = suspended_.erase(it);
    }
}

void TServer::JobChanged() {
    job_.fetch_add(1, std::memory_order_release);
    FrameShown(); // wakes the watchers
}

std::string TServer::FrameJson(uint64_t frame) {
    std::lock_guard lock(frameMutex_);
    if (cachedFrame_ != frame) {
        cachedJson_ = host_.PanelJson();
        cachedFrame_ = frame;
    }
    return cachedJson_;
}

// Sleeps without a timer while no stream is open.
void TServer::KeepAlive(std::stop_token stop) {
    std::unique_lock lock(watchersMutex_);
    while (watchersChanged_.wait(lock, stop, [this] { return !watchers_.empty(); })) {
        if (watchersChanged_.wait_for(lock, stop, kKeepAlivePeriod, [] { return false; }) ||
            stop.stop_requested())
            return;
        lock.unlock();
        WakeSuspended(true);
        lock.lock();
    }
}

// libmicrohttpd asks for more only once all it was given before has been sent, so a watcher
// suspended here has nothing in flight and its socket may be written to directly.
ssize_t TServer::StreamEvents(void* context, uint64_t, char* buffer, size_t size) {
    auto* watcher = static_cast<TWatcher*>(context);
    TServer& server = *watcher->Server;
    if (watcher->Pending.empty()) {
        std::lock_guard lock(server.watchersMutex_);
        if (server.stopping_) return MHD_CONTENT_READER_END_OF_STREAM;
        if (watcher->Failed) return MHD_CONTENT_READER_END_WITH_ERROR;
        server.QueueEvents(*watcher);
        if (watcher->Pending.empty()) {
            // Asleep until the next frame: FrameShown writes or resumes it.
            MHD_suspend_connection(watcher->Connection);
            server.suspended_.insert(watcher);
            return 0;
        }
    }
    const size_t n = std::min(size, watcher->Pending.size());
    std::memcpy(buffer, watcher->Pending.data(), n);
    watcher->Pending.erase(0, n);
    return static_cast<ssize_t>(n);
}

void TServer::EndWatcher(void* context) {
    auto* watcher = static_cast<TWatcher*>(context);
    {
        std::lock_guard lock(watcher->Server->watchersMutex_);
        watcher->Server->watchers_.erase(watcher);
        watcher->Server->suspended_.erase(watcher);
    }
    delete watcher;
}

MHD_Result TServer::Access(void* self, MHD_Connection* connection, const char* url,
                           const char* method, const char*, const char* upload, size_t* uploadSize,
                           void** state) {
    auto& server = *static_cast<TServer*>(self);
    if (!*state) {
        *state = new TRequestState;
        return MHD_YES;
    }
    auto& request = *static_cast<TRequestState*>(*state);
    if (*uploadSize != 0) {
        if (request.Body.size() + *uploadSize > kMaxRequestBody)
            request.TooLarge = true;
        else
            request.Body.append(upload, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    return server.Answer(connection, url, method, request);
}

void TServer::Completed(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<TRequestState*>(*state);
    *state = nullptr;
}

MHD_Result TServer::Answer(MHD_Connection* connection, const char* url, const char* method,
                           TRequestState& state) {
    THttpResponse answer;
    if (state.TooLarge) {
        answer.Status = 413;
        answer.Body = R"({"error":"request too large"})";
    } else {
        THttpRequest request;
        request.Method = method ? method : "";
        request.Path = url ? url : "";
        request.Body = std::move(state.Body);
        request.Client = PeerAddress(connection);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectValue, &request.Headers);
        MHD_get_connection_values(connection, MHD_COOKIE_KIND, &CollectExact, &request.Cookies);
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &CollectExact, &request.Query);
        answer = api_.Handle(request);
    }
    if (answer.EventStream) {
        auto* watcher = new TWatcher{this, connection, 0, {}, false, job_.load()};
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)) {
            ::setsockopt(info->connect_fd, SOL_SOCKET, SO_SNDBUF, &kWatcherSendBuffer,
                         sizeof kWatcherSendBuffer);
            if (!tls_) watcher->Socket = info->connect_fd;
        }
        {
            std::lock_guard lock(watchersMutex_);
            if (watchers_.size() >= kMaxWatchers || stopping_) {
                delete watcher;
                THttpResponse busy;
                busy.Status = 503;
                busy.Body = R"({"error":"too many watchers"})";
                MHD_Response* response = MHD_create_response_from_buffer(
                    busy.Body.size(), busy.Body.data(), MHD_RESPMEM_MUST_COPY);
                return Queue(connection, busy, response);
            }
            watchers_.insert(watcher);
        }
        watchersChanged_.notify_all();
        MHD_Response* response = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, 4096, &TServer::StreamEvents, watcher, &TServer::EndWatcher);
        // Ended by closing the connection, not by chunks: no framing of our own to write.
        MHD_set_response_options(response, MHD_RF_HTTP_1_0_COMPATIBLE_STRICT, MHD_RO_END);
        answer.Headers.emplace_back("Cache-Control", "no-store");
        return Queue(connection, answer, response);
    }
    MHD_Response* response = MHD_create_response_from_buffer(answer.Body.size(), answer.Body.data(),
                                                             MHD_RESPMEM_MUST_COPY);
    return Queue(connection, answer, response);
}

} // namespace

} // namespace orv

extern "C" __attribute__((visibility("default"))) orv::TWebServer*
Orvanta3WebStart(const orv::TWebConfig& config, orv::TWebHost& host, std::string& error) {
    auto server = std::make_unique<orv::TServer>(config, host);
    if (!server->Start(config, error)) return nullptr;
    return server.release();
}

extern "C" __attribute__((visibility("default"))) bool
Orvanta3WebHashPassword(const std::string& password, std::string& hash, std::string& error) {
    const char* salt = ::crypt_gensalt("$y$", 0, nullptr, 0);
    if (!salt) {
        error = std::string("cannot make a salt: ") + std::strerror(errno);
        return false;
    }
    crypt_data data{};
    const char* hashed = ::crypt_rn(password.c_str(), salt, &data, sizeof data);
    if (!hashed || hashed[0] == '*') {
        error = "the system's password hashing has no yescrypt";
        return false;
    }
    hash = hashed;
    return true;
}
