// The web interface's requests without a socket: a parsed request goes to Handle, which checks
// the host, the session and the anti-forgery token and answers it. The server (WebServer.cpp)
// only moves bytes; the fuzz target calls Handle directly.
#pragma once

#include "appcore/web/WebInterface.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace orv {

struct THttpRequest {
    std::string Method;
    std::string Path; // as the client sent it, without the query
    std::map<std::string, std::string> Query;
    std::map<std::string, std::string> Headers; // names in lower case
    std::map<std::string, std::string> Cookies;
    std::string Body;
    std::string Client; // the peer's address
};

struct THttpResponse {
    int Status = 200;
    std::string ContentType = "application/json";
    std::string Body;
    std::vector<std::pair<std::string, std::string>> Headers;
    bool EventStream = false; // the server streams the panel's frames instead of Body
};

inline constexpr size_t kMaxRequestBody = 256 * 1024;

class TWebApi {
public:
    using TClock = std::chrono::steady_clock;
    TWebApi(TWebConfig config, TWebHost& host);

    THttpResponse Handle(const THttpRequest& request, TClock::time_point now = TClock::now());

    // The password check (crypt_rn of the stored hash); public for the fuzz target.
    bool PasswordMatches(const std::string& password) const;

private:
    struct TSession {
        std::string Token;
        TClock::time_point LastUse;
    };
    struct TFailures {
        int Count = 0;
        TClock::time_point NextTry;
    };

    bool HostAllowed(const THttpRequest& request) const;
    const TSession* FindSession(const THttpRequest& request, TClock::time_point now);
    std::string NewSession(TClock::time_point now, THttpResponse& response);
    THttpResponse Login(const THttpRequest& request, TClock::time_point now);
    THttpResponse Asset(const std::string& path) const;
    THttpResponse Route(const THttpRequest& request, const TSession* session,
                        TClock::time_point now);

    TWebConfig config_;
    TWebHost& host_;
    bool loopback_;
    std::vector<std::string> allowedHosts_;
    std::mutex mutex_;
    std::map<std::string, TSession> sessions_;  // by session cookie
    std::map<std::string, TFailures> failures_; // by client address
};

// GET and PUT /api/settings (WebSettingsRequests.cpp), for a client with a session (and, for
// PUT, its token).
THttpResponse SettingsRequest(TWebHost& host, const THttpRequest& request);

// Random bytes as hex (getrandom).
std::string RandomHex(size_t bytes);

} // namespace orv
