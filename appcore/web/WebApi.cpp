#include "appcore/web/WebApi.h"

#include "appcore/web/WebEditorRequests.h"

#include "appcore/web/page/WebAssets.h"
#include "appcore/web/WebJson.h"

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <crypt.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace orv {

namespace {

using json = nlohmann::json;

constexpr size_t kMaxSessions = 64;
constexpr size_t kMaxClientsRemembered = 1024;
constexpr auto kSessionIdle = std::chrono::hours(12);
constexpr auto kFirstPenalty = std::chrono::seconds(1);
constexpr auto kLongestPenalty = std::chrono::seconds(60);
constexpr int kMaxScreen = 1'000'000;

const char* const kSessionCookie = "orvanta3_session";
const char* const kTokenHeader = "x-orvanta3-token";

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string HostName(const std::string& address, uint16_t port) {
    const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    return host + ":" + std::to_string(port);
}

// "http://host:port" or "https://host:port" → "host:port"; empty for anything else.
std::string OriginHost(const std::string& origin) {
    for (const char* scheme : {"http://", "https://"})
        if (origin.starts_with(scheme)) return origin.substr(std::strlen(scheme));
    return {};
}

bool Changes(const std::string& method) { return method != "GET" && method != "HEAD"; }

} // namespace

std::string RandomHex(size_t bytes) {
    std::string raw(bytes, '\0');
    size_t filled = 0;
    while (filled < bytes) {
        const ssize_t n = ::getrandom(raw.data() + filled, bytes - filled, 0);
        if (n > 0) filled += static_cast<size_t>(n);
    }
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : raw) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

TWebApi::TWebApi(TWebConfig config, TWebHost& host)
    : config_(std::move(config)), host_(host), loopback_(IsLoopbackAddress(config_.Address)) {
    allowedHosts_.push_back(HostName(config_.Address, config_.Port));
    // Listening on every address: the names of this computer.
    const bool everyAddress = config_.Address == "0.0.0.0" || config_.Address == "::";
    if (loopback_ || everyAddress)
        for (const char* name : {"localhost", "127.0.0.1", "::1"})
            allowedHosts_.push_back(HostName(name, config_.Port));
    char name[256] = {};
    if (everyAddress && ::gethostname(name, sizeof name - 1) == 0) {
        allowedHosts_.push_back(HostName(name, config_.Port));
        allowedHosts_.push_back(HostName(std::string(name) + ".local", config_.Port));
    }
}

bool TWebApi::PasswordMatches(const std::string& password) const {
    if (config_.PasswordHash.empty()) return false;
    crypt_data data{};
    const char* hashed =
        ::crypt_rn(password.c_str(), config_.PasswordHash.c_str(), &data, sizeof data);
    return hashed && hashed[0] != '*' && SameText(hashed, config_.PasswordHash);
}

bool TWebApi::HostAllowed(const THttpRequest& request) const {
    auto allowed = [this](const std::string& host) {
        return std::find(allowedHosts_.begin(), allowedHosts_.end(), host) != allowedHosts_.end();
    };
    const auto host = request.Headers.find("host");
    if (host == request.Headers.end() || !allowed(host->second)) return false;
    const auto origin = request.Headers.find("origin");
    return origin == request.Headers.end() || allowed(OriginHost(origin->second));
}

const TWebApi::TSession* TWebApi::FindSession(const THttpRequest& request, TClock::time_point now) {
    const auto cookie = request.Cookies.find(kSessionCookie);
    if (cookie == request.Cookies.end()) return nullptr;
    const auto found = sessions_.find(cookie->second);
    if (found == sessions_.end()) return nullptr;
    if (now - found->second.LastUse > kSessionIdle) {
        sessions_.erase(found);
        return nullptr;
    }
    found->second.LastUse = now;
    return &found->second;
}

std::string TWebApi::NewSession(TClock::time_point now, THttpResponse& response) {
    if (sessions_.size() >= kMaxSessions) {
        const auto oldest =
            std::min_element(sessions_.begin(), sessions_.end(), [](const auto& a, const auto& b) {
                return a.second.LastUse < b.second.LastUse;
            });
        sessions_.erase(oldest);
    }
    const std::string id = RandomHex(32);
    const std::string token = RandomHex(32);
    sessions_[id] = {token, now};
    std::string cookie =
        std::string(kSessionCookie) + "=" + id + "; HttpOnly; SameSite=Strict; Path=/";
    if (!config_.CertificatePem.empty()) cookie += "; Secure";
    response.Headers.emplace_back("Set-Cookie", cookie);
    return token;
}

THttpResponse TWebApi::Login(const THttpRequest& request, TClock::time_point now) {
    TFailures& failures = failures_[request.Client];
    if (failures.Count > 0 && now < failures.NextTry) {
        THttpResponse response = JsonError(429, "too many wrong passwords: try again later");
        const auto wait = std::chrono::ceil<std::chrono::seconds>(failures.NextTry - now);
        response.Headers.emplace_back("Retry-After", std::to_string(wait.count()));
        return response;
    }
    const json body = ParseJsonObject(request.Body);
    const bool right = !body.is_discarded() && body.contains("password") &&
                       body["password"].is_string() &&
                       PasswordMatches(body["password"].get<std::string>());
    if (!right) {
        ++failures.Count;
        auto penalty = kFirstPenalty * (1 << std::min(failures.Count - 1, 6));
        failures.NextTry = now + std::min<TClock::duration>(penalty, kLongestPenalty);
        if (failures_.size() > kMaxClientsRemembered) {
            std::erase_if(failures_,
                          [now](const auto& entry) { return entry.second.NextTry < now; });
            while (failures_.size() > kMaxClientsRemembered) failures_.erase(failures_.begin());
        }
        return JsonError(401, "wrong password");
    }
    failures_.erase(request.Client);
    THttpResponse response;
    const std::string token = NewSession(now, response);
    THttpResponse answer = JsonAnswer(200, json{{"token", token}});
    answer.Headers = response.Headers;
    return answer;
}

THttpResponse TWebApi::Asset(const std::string& path) const {
    const TWebAsset* asset = FindWebAsset(path);
    if (!asset) return JsonError(404, "not found");
    THttpResponse response;
    response.ContentType = std::string(asset->ContentType);
    response.Body = std::string(asset->Body);
    return response;
}

THttpResponse TWebApi::Handle(const THttpRequest& request, TClock::time_point now) {
    THttpResponse response;
    if (!HostAllowed(request)) {
        response = JsonError(403, "this address is not the web interface's");
    } else if (!request.Path.starts_with('/') || request.Path.find("..") != std::string::npos ||
               request.Path.find('\\') != std::string::npos ||
               request.Path.find("//") != std::string::npos ||
               request.Path.find('\0') != std::string::npos) {
        response = JsonError(404, "not found");
    } else if (!request.Path.starts_with("/api/")) {
        response = request.Method == "GET" || request.Method == "HEAD"
                       ? Asset(request.Path)
                       : JsonError(405, "method not allowed");
    } else {
        std::lock_guard lock(mutex_);
        response = Route(request, FindSession(request, now), now);
        response.Headers.emplace_back("Cache-Control", "no-store");
    }
    response.Headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.Headers.emplace_back("Content-Security-Policy", "default-src 'self'");
    response.Headers.emplace_back("X-Frame-Options", "DENY");
    response.Headers.emplace_back("Referrer-Policy", "no-referrer");
    return response;
}

THttpResponse TWebApi::Route(const THttpRequest& request, const TSession* session,
                             TClock::time_point now) {
    const std::string& path = request.Path;
    const std::string& method = request.Method;
    const bool passwordRequired = !loopback_ || !config_.PasswordHash.empty();

    if (path == "/api/session" && method == "GET") {
        THttpResponse response;
        std::string token = session ? session->Token : std::string();
        if (!session && !passwordRequired) token = NewSession(now, response);
        json body{{"loggedIn", !token.empty()},
                  {"passwordRequired", passwordRequired},
                  {"language", config_.Language}};
        if (!token.empty()) body["token"] = token;
        THttpResponse answer = JsonAnswer(200, body);
        answer.Headers = response.Headers;
        return answer;
    }
    if (path == "/api/login") {
        if (method != "POST") return JsonError(405, "method not allowed");
        return Login(request, now);
    }
    if (!session) return JsonError(401, "not logged in");
    if (Changes(method)) {
        const auto token = request.Headers.find(kTokenHeader);
        if (token == request.Headers.end() || !SameText(token->second, session->Token))
            return JsonError(403, "the request lacks the page's token");
    }
    if (path == "/api/logout" && method == "POST") {
        sessions_.erase(request.Cookies.at(kSessionCookie));
        THttpResponse response = JsonAnswer(200, json::object());
        response.Headers.emplace_back("Set-Cookie",
                                      std::string(kSessionCookie) +
                                          "=; Max-Age=0; HttpOnly; SameSite=Strict; Path=/");
        return response;
    }
    if (path == "/api/panel" && method == "GET") {
        THttpResponse response;
        response.Body = host_.PanelJson();
        return response;
    }
    if (path == "/api/events" && method == "GET") {
        THttpResponse response;
        response.ContentType = "text/event-stream";
        response.EventStream = true;
        return response;
    }
    if (path == "/api/navigate" && method == "POST") {
        const json body = ParseJsonObject(request.Body);
        if (body.is_discarded() || !body.contains("action") || !body["action"].is_string())
            return JsonError(400, "action missing");
        const std::string action = body["action"].get<std::string>();
        int32_t screen = 0;
        if (action == "goto") {
            if (!body.contains("screen") || !body["screen"].is_number_integer())
                return JsonError(400, "screen missing");
            const auto n = body["screen"].get<int64_t>();
            if (n < 0 || n > kMaxScreen) return JsonError(400, "no such screen");
            screen = static_cast<int32_t>(n);
        } else if (action != "next" && action != "previous") {
            return JsonError(400, "unknown action");
        }
        if (!host_.Navigate(action, screen)) return JsonError(400, "no such screen");
        return JsonAnswer(200, json::object());
    }
    if (path == "/api/charset" && method == "POST") {
        const json body = ParseJsonObject(request.Body);
        if (body.is_discarded() || !body.contains("set") || !body["set"].is_number_integer())
            return JsonError(400, "set missing");
        const auto set = body["set"].get<int64_t>();
        if (set < 0 || set > 3 || !host_.Charset(static_cast<int32_t>(set)))
            return JsonError(400, "no such character set");
        return JsonAnswer(200, json::object());
    }
    if (path == "/api/settings") return SettingsRequest(host_, request);
    if (auto answer = EditorRequest(request, host_)) return std::move(*answer);
    return JsonError(404, "not found");
}

} // namespace orv
