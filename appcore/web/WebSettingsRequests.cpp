// The settings page's requests: the server side only checks the shape of the body; the program
// (TWebHost) checks the values, writes and applies them.
#include "appcore/web/WebApi.h"

#include "base/JsonNesting.h"

#include <nlohmann/json.hpp>

namespace orv {

namespace {

using json = nlohmann::json;

constexpr int kMaxJsonDepth = 16;

THttpResponse Answer(int status, const json& body) {
    THttpResponse response;
    response.Status = status;
    response.Body = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return response;
}

} // namespace

THttpResponse SettingsRequest(TWebHost& host, const THttpRequest& request) {
    if (request.Method == "GET") return Answer(200, host.SettingsState());
    if (request.Method != "PUT") return Answer(405, json{{"error", "method not allowed"}});
    json body = JsonNestingWithin(request.Body, kMaxJsonDepth)
                    ? json::parse(request.Body, nullptr, false)
                    : json(json::value_t::discarded);
    if (!body.is_object()) return Answer(400, json{{"error", "the body is not a JSON object"}});
    const TWebHost::TSettingsAnswer answer = host.PutSettings(body);
    if (answer.Status != 200) return Answer(answer.Status, json{{"error", answer.Error}});
    return Answer(200, json::object());
}

} // namespace orv
