// Requests to the web interface as a hostile page or client sends them: method, path, Host,
// Origin, whether the session cookie and the token come along, and the body (one a line, the
// body the rest). Nothing crashes, nothing that changes passes without session and token, and
// no request from a foreign host gets past the check.
#include "fuzz/FuzzInput.h"
#include "appcore/web/WebApi.h"

#include <algorithm>
#include <nlohmann/json.hpp>

using namespace orv;

namespace {

class TCountingHost final : public TWebHost {
public:
    std::string PanelJson() override { return "{}"; }
    bool Navigate(const std::string&, int32_t screen) override {
        ++Calls;
        return screen < 4;
    }
    bool Charset(int32_t) override {
        ++Calls;
        return true;
    }
    // The job editor's calls, in memory: no file is read or written.
    std::vector<std::pair<std::string, std::string>> PageTexts() override {
        return {{"webJob", "Job"}};
    }
    std::vector<std::string> JobFiles(std::string& current) override {
        current = "a.orv3";
        return {"a.orv3", "jobs/b.orv3"};
    }
    std::vector<std::string> Transitions() override { return {"none", "dissolve"}; }
    bool ReadJob(const std::string& file, TWebJob& job) override {
        std::string current;
        const auto files = JobFiles(current);
        job.File = file.empty() ? current : file;
        job.Screens = {{"one", 5, true, false, 1, {{"$time$", 1, 2}}}};
        return std::find(files.begin(), files.end(), job.File) != files.end();
    }
    TAnswer SaveJob(TWebJob& job) override {
        ++Calls;
        FUZZ_CHECK(!job.Screens.empty());
        if (job.File.empty()) job.File = "a.orv3";
        if (job.File != "a.orv3" && job.File != "jobs/b.orv3") return {404, "no such job"};
        if (!job.Revision.empty() && job.Revision != "1") return {409, "changed"};
        job.Revision = "2";
        return {};
    }
    std::string Preview(const TWebScreen*) override {
        ++Calls;
        return {};
    }
    std::vector<TWebModule> Catalogue() override {
        return {{"Time", {{"$time", "Time", "", "$time$", {}}}}};
    }
    nlohmann::json SettingsState() override { return nlohmann::json::object(); }
    TAnswer PutSettings(const nlohmann::json& body) override {
        ++Calls;
        FUZZ_CHECK(body.is_object());
        return {};
    }
    int Calls = 0;
};

std::string CookieOf(const THttpResponse& response) {
    for (const auto& [name, value] : response.Headers)
        if (name == "Set-Cookie") return value.substr(value.find('=') + 1, 64);
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::Split(fuzz::AsText(data, size), '\n');
    auto piece = [&](size_t i) {
        return i < pieces.size() ? std::string(pieces[i]) : std::string();
    };

    TWebConfig config;
    config.Port = 8080;
    TCountingHost host;
    TWebApi api(config, host);
    THttpRequest open;
    open.Method = "GET";
    open.Path = "/api/session";
    open.Headers["host"] = "127.0.0.1:8080";
    const THttpResponse session = api.Handle(open);
    const std::string cookie = CookieOf(session);
    const std::string token = session.Body.substr(session.Body.find("\"token\":\"") + 9, 64);
    FUZZ_CHECK(cookie.size() == 64 && token.size() == 64);

    THttpRequest request;
    request.Method = piece(0);
    request.Path = piece(1);
    if (const size_t query = request.Path.find("?file="); query != std::string::npos) {
        request.Query["file"] = request.Path.substr(query + 6);
        request.Path.resize(query);
    }
    request.Headers["host"] = piece(2);
    if (!piece(3).empty()) request.Headers["origin"] = piece(3);
    const std::string flags = piece(4);
    if (flags.find('c') != std::string::npos) request.Cookies["orvanta3_session"] = cookie;
    if (flags.find('t') != std::string::npos) request.Headers["x-orvanta3-token"] = token;
    if (flags.find('x') != std::string::npos) request.Headers["x-orvanta3-token"] = piece(5);
    size_t bodyStart = 0;
    for (size_t i = 0; i < 6 && i < pieces.size(); ++i) bodyStart += pieces[i].size() + 1;
    request.Body = bodyStart < size ? std::string(fuzz::AsText(data, size).substr(bodyStart)) : "";
    request.Client = "127.0.0.1";

    const THttpResponse response = api.Handle(request);
    const bool allowedHost = request.Headers["host"] == "127.0.0.1:8080" ||
                             request.Headers["host"] == "localhost:8080" ||
                             request.Headers["host"] == "[::1]:8080";
    if (!allowedHost) FUZZ_CHECK(response.Status == 403 && host.Calls == 0);
    const bool rightToken =
        request.Headers.count("x-orvanta3-token") && request.Headers["x-orvanta3-token"] == token;
    if (host.Calls > 0) FUZZ_CHECK(request.Cookies.count("orvanta3_session") && rightToken);
    FUZZ_CHECK(response.Status >= 200 && response.Status < 600);
    return 0;
}
